// The master's connection editor is the library's one connection-editor hook, kept beside the
// dataset's editor hooks so a dataset and a master show the same dialog.
#pragma once

#include "dataset/EditorHooks.h"
