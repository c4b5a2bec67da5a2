#pragma once

#include "text/Text.h"

namespace veltrano {

// The roster with every row break as CR LF, as the phone reads it, whatever the box held (LF from
// a Qt box, CR LF from a Windows edit box, a lone CR from some spreadsheets). CR and LF bytes are
// never part of a code page 936 character, so this works on the bytes.
Text rosterWithCrLf(const Text& rows);

}  // namespace veltrano
