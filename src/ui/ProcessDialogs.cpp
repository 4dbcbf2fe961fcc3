#include "ui/ProcessDialogs.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "document/SampleProcessing.h"
#include <QValidator>

#include "app/ResourceIds.h"
#include "app/StringTables.h"
#include "document/DocumentTypes.h"

namespace NSZubrik {

namespace {

QString Text(int32_t entry) { return QString::fromStdString(GetString(kProgramStringList, entry)); }

QString ProductName() { return Text(NSStrings::kProductName); }

// OK and Cancel, in the dialog's layout.
QDialogButtonBox* AddButtons(QDialog& dialog, QVBoxLayout& layout)
{
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(Text(NSStrings::kOK), QDialogButtonBox::AcceptRole);
    buttons->addButton(Text(NSStrings::kCancel), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout.addWidget(buttons);
    return buttons;
}

// The "Bars:" field takes only the characters the core's rules accept.
class CBarsValidator : public QValidator {
public:
    State validate(QString& input, int&) const override
    {
        for (QChar character : input)
            if (!CNoLengthSpecifiedField::AcceptsCharacter(character.unicode()))
                return Invalid;
        return Acceptable;
    }
};

} // namespace

std::optional<int32_t> AskForLoopLength(QWidget* parent, const std::function<void()>& help)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("loopLengthDialog"));
    dialog.setWindowTitle(ProductName());
    auto* layout = new QVBoxLayout(&dialog);
    auto* question = new QLabel(Text(NSStrings::kLoopLengthQuestion));
    question->setWordWrap(true);
    layout->addWidget(question);
    auto* form = new QFormLayout;
    auto* field = new QLineEdit;
    CBarsValidator validator;
    field->setValidator(&validator);
    form->addRow(Text(NSStrings::kBarsLabel), field);
    layout->addLayout(form);
    QDialogButtonBox* buttons = AddButtons(dialog, *layout);
    auto* ok = qobject_cast<QPushButton*>(buttons->buttons().front());
    QPushButton* helpButton = buttons->addButton(Text(NSStrings::kHelp), QDialogButtonBox::HelpRole);
    QObject::connect(helpButton, &QPushButton::clicked, &dialog, [&help] { help(); });
    auto value = [field] { return CNoLengthSpecifiedField::ValueOf(field->text().toStdU16String()); };
    QObject::connect(field, &QLineEdit::textChanged, ok,
                     [ok, value] { ok->setEnabled(CNoLengthSpecifiedField::MayConfirm(value())); });
    ok->setEnabled(false);
    if (dialog.exec() != QDialog::Accepted || !CNoLengthSpecifiedField::MayConfirm(value()))
        return std::nullopt;
    return value();
}

std::optional<int32_t> AskForMonoSource(QWidget* parent, int32_t current)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(ProductName());
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(Text(NSStrings::kConvertToMonoTexts)));
    QButtonGroup group;
    for (int32_t choice = 0; choice < 3; ++choice) {
        auto* button = new QRadioButton(Text(NSStrings::kConvertToMonoTexts + 1 + choice));
        button->setChecked(choice == current);
        group.addButton(button, choice);
        layout->addWidget(button);
    }
    AddButtons(dialog, *layout);
    if (dialog.exec() != QDialog::Accepted || group.checkedId() < 0)
        return std::nullopt;
    return group.checkedId();
}

std::optional<std::pair<int32_t, int32_t>> AskForSampleFormat(QWidget* parent, int32_t rate, int32_t depth)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(ProductName());
    auto* layout = new QVBoxLayout(&dialog);
    auto* form = new QFormLayout;
    auto* rates = new QComboBox;
    for (int32_t choice : kConvertibleSampleRates) {
        rates->addItem(QString::number(choice), choice);
        if (choice == rate)
            rates->setCurrentIndex(rates->count() - 1);
    }
    auto* depths = new QComboBox;
    for (int32_t choice : kConvertibleBitDepths)
        depths->addItem(QString::number(choice), choice);
    depths->setCurrentIndex(depth == 24 ? 1 : 0);
    form->addRow(Text(NSStrings::kSampleFormatTexts), rates);
    form->addRow(Text(NSStrings::kSampleFormatTexts + 1), depths);
    layout->addLayout(form);
    AddButtons(dialog, *layout);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return std::make_pair(rates->currentData().toInt(), depths->currentData().toInt());
}

} // namespace NSZubrik
