// Whole-component streaming entry points and the conversion between the binary component
// stream and its text form. The text form read back gives the same bytes the binary had.
#pragma once

#include "framework/classes/Filer.h"
#include "framework/classes/Streams.h"

namespace vmado {

class TComponent;

// The framework's TStream::WriteComponent / ReadComponent (those members call these).
// ReadComponent reads into instance, or into a new instance of the stream's registered class
// when instance is null (the caller then owns it).
void WriteComponent(TStream& stream, TComponent& instance);
TComponent* ReadComponent(TStream& stream, TComponent* instance);

// The text form ("object Name: TClass ... end") and back. Each reads from the input's position
// and writes at the output's position. Binary input that is not a component stream raises
// EReadError; text that is not a component description raises EParserError naming the line.
void ObjectBinaryToText(TStream& input, TStream& output);
void ObjectTextToBinary(TStream& input, TStream& output);

} // namespace vmado
