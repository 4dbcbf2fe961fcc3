#include "app/StringTables.h"

#include "app/ZubrikErrors.h"

#include <cctype>
#include <charconv>

namespace NSTextPackage {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view TrimLeft(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    return text;
}

std::string_view TrimRight(std::string_view text)
{
    while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// Reads the unsigned decimal number at the start of text and removes it.
std::optional<int32_t> TakeNumber(std::string_view& text)
{
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data() || value < 0)
        return std::nullopt;
    text.remove_prefix(static_cast<size_t>(end - text.data()));
    return value;
}

std::optional<int32_t> WholeNumber(std::string_view text)
{
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text.front())))
        return std::nullopt;
    const std::optional<int32_t> value = TakeNumber(text);
    if (!text.empty())
        return std::nullopt;
    return value;
}

bool IsKind(std::string_view kind)
{
    if (kind.size() != 4)
        return false;
    for (const char c : kind) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

[[noreturn]] void Malformed()
{
    throw XIllegalTextFormat();
}

// "KIND number": the four-character kind, white space, the table number.
std::pair<std::string, int32_t> ParseTableLine(std::string_view line)
{
    const std::string_view kind = line.substr(0, 4);
    std::string_view rest = line.substr(kind.size());
    if (!IsKind(kind) || rest.empty() || !IsBlank(rest.front()))
        Malformed();
    const std::optional<int32_t> table = WholeNumber(TrimLeft(rest));
    if (!table)
        Malformed();
    return {std::string(kind), *table};
}

// "number {text}": the text runs from the first '{' to the last '}'.
std::pair<int32_t, std::string_view> ParseEntryLine(std::string_view line)
{
    const std::optional<int32_t> entry = TakeNumber(line);
    if (!entry || line.empty() || !IsBlank(line.front()))
        Malformed();
    line = TrimLeft(line);
    if (line.size() < 2 || line.front() != '{' || line.back() != '}')
        Malformed();
    return {*entry, line.substr(1, line.size() - 2)};
}

} // namespace

CStringTables CStringTables::Parse(std::string_view resourceText)
{
    CStringTables tables;
    std::map<int32_t, std::string>* current = nullptr;
    while (!resourceText.empty()) {
        const size_t end = resourceText.find('\n');
        const std::string_view rawLine = resourceText.substr(0, end);
        resourceText.remove_prefix(end == std::string_view::npos ? resourceText.size() : end + 1);

        const std::string_view line = TrimRight(TrimLeft(rawLine));
        if (line.empty() || line.starts_with("//"))
            continue;
        if (std::isdigit(static_cast<unsigned char>(line.front()))) {
            const auto [entry, text] = ParseEntryLine(line);
            if (current == nullptr || !current->emplace(entry, std::string(text)).second)
                Malformed();
        } else {
            auto [position, added] = tables.fTables.try_emplace(ParseTableLine(line));
            if (!added)
                Malformed();
            current = &position->second;
        }
    }
    return tables;
}

const CStringTables& CStringTables::Program()
{
    static const CStringTables tables = Parse(EmbeddedResourceText());
    return tables;
}

std::optional<std::string_view> CStringTables::Find(std::string_view kind, int32_t table,
                                                    int32_t entry) const
{
    const auto tablePosition = fTables.find(TTableKey(std::string(kind), table));
    if (tablePosition == fTables.end())
        return std::nullopt;
    const auto entryPosition = tablePosition->second.find(entry);
    if (entryPosition == tablePosition->second.end())
        return std::nullopt;
    return std::string_view(entryPosition->second);
}

std::optional<std::string_view> CStringTables::Find(std::string_view path) const
{
    const size_t first = path.find('/');
    const size_t second = path.find('/', first == std::string_view::npos ? first : first + 1);
    if (second == std::string_view::npos)
        return std::nullopt;
    const std::optional<int32_t> table = WholeNumber(path.substr(first + 1, second - first - 1));
    const std::optional<int32_t> entry = WholeNumber(path.substr(second + 1));
    if (!table || !entry)
        return std::nullopt;
    return Find(path.substr(0, first), *table, *entry);
}

std::string_view CStringTables::Get(std::string_view kind, int32_t table, int32_t entry) const
{
    const std::optional<std::string_view> text = Find(kind, table, entry);
    if (!text)
        throw NSZubrik::XNotFound();
    return *text;
}

std::string_view CStringTables::Get(std::string_view path) const
{
    const std::optional<std::string_view> text = Find(path);
    if (!text)
        throw NSZubrik::XNotFound();
    return *text;
}

const std::map<int32_t, std::string>& CStringTables::Entries(std::string_view kind,
                                                             int32_t table) const
{
    static const std::map<int32_t, std::string> kNone;
    const auto position = fTables.find(TTableKey(std::string(kind), table));
    return position == fTables.end() ? kNone : position->second;
}

std::string FormatText(std::string_view text, std::span<const std::string_view> arguments)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] == '^' && next >= '0' && next <= '9') {
            const auto index = static_cast<size_t>(next - '0');
            if (index < arguments.size())
                result += arguments[index];
            ++i;
        } else if (text[i] == '\\' && next == 'r') {
            result += '\n';
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

std::string FormatText(std::string_view text, std::initializer_list<std::string_view> arguments)
{
    return FormatText(text, std::span<const std::string_view>(arguments.begin(), arguments.size()));
}

} // namespace NSTextPackage

namespace NSZubrik {

std::string GetString(int32_t list, int32_t entry, std::initializer_list<std::string_view> arguments)
{
    const NSTextPackage::CStringTables& tables = NSTextPackage::CStringTables::Program();
    return NSTextPackage::FormatText(tables.Get(NSTextPackage::kStringKind, list, entry), arguments);
}

} // namespace NSZubrik
