// The copied loop on the desktop's clipboard: each form of the loop under
// the MIME types Linux programs look for, and the WAVE form read back from
// whatever program put it there.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

#include "io/ClipboardExchange.h"

class QMimeData;

namespace NSZubrik {

// The MIME types a form is offered under (the first is its main one).
QStringList MimeTypesOf(const std::string& flavour);

// One object holding every form; an empty form is left out.
QMimeData* MakeLoopMimeData(const std::vector<SClipboardForm>& forms);

// The bytes of a flavour in the data: under one of its MIME types, or, for
// WAVE, a local .wav file named in a file list (as file managers copy
// files). Empty when there are none.
std::vector<uint8_t> ClipboardBytes(const QMimeData& data, const std::string& flavour);

} // namespace NSZubrik
