// Keyed stream scrambling of text: the output has the plain text's length and any byte values.
// Not encryption; it only keeps a text from being read at a glance.
#pragma once

#include "framework/rtl/Types.h"

namespace vmado {

Word DecodePassword(const AnsiString& S); // sum of byte x position, modulo 65536
AnsiString EnCrypt(const AnsiString& S, const AnsiString& Key);
AnsiString DeCrypt(const AnsiString& S, const AnsiString& Key); // DeCrypt(EnCrypt(S, K), K) == S

} // namespace vmado
