// The utility unit: text, SQL-text, conversion, connection-string, scrambling and file helpers.
// Stateless free functions; include this header to get all of them.
#pragma once

#include "utils/ConnectionString.h"
#include "utils/Conversions.h"
#include "utils/Files.h"
#include "utils/Scramble.h"
#include "utils/SqlText.h"
#include "utils/Strings.h"
