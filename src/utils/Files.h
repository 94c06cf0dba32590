// Host directories, environment, file lists by mask ("*" and "?" in the last path part, matched
// case-sensitively; "*.*" matches every name), counting and deleting files, file-system ids and
// starting programs. Paths use "/".
#pragma once

#include "framework/classes/ClassesTypes.h"
#include "framework/rtl/Types.h"

namespace vmado {

class TStrings;

enum TDirFile { dfName, dfFile, dfFull }; // name before its first ".", name, directory + name

AnsiString GetExeDir(); // directory of the running executable, ending in "/"
// The current directory cut before the first occurrence of Name (ignoring case), ending in "/".
AnsiString GetWorkDir(const AnsiString& Name);
AnsiString GetEnviroment(const AnsiString& Name); // the variable's value upper-cased; "" when unset

// Appends the files matching Mask (directories are never listed); with Sub also those of the
// sub-directories whose names match the mask, one level deep. List is not cleared.
void DirToStrings(const AnsiString& Mask, TStrings& List, TDirFile Mode, bool Sub);
// Deletes the files DirToStrings(Mask, dfFull, no Sub) lists; true when it listed any.
bool DeleteFiles(const AnsiString& Mask);
// Entries matching the mask ("." and ".." and directories included), or the sum of their sizes.
Int64 FileNumbers(const AnsiString& Mask, bool Sub, bool Sizes);
AnsiString ExtractName(const AnsiString& Path); // file name without directory, cut at its first "."

// 32-bit id of the file system holding Path. A drive letter has no meaning here; it names the
// root file system. Raises EFOpenError when the file system cannot be queried.
Cardinal GetVolumeID(const AnsiString& Path);
Cardinal GetVolumeID(char Drive);

// Starts FileName (an executable, found on PATH when it has no "/") with Params in Dir, or opens
// a document or URL with the desktop's default application (xdg-open). Never waits for the
// program. Returns a value above 32 on success, otherwise 2 (file not found), 3 (Dir not found),
// 5 (access denied), 8 (out of resources) or 31 (no application for the document). State is
// accepted for compatibility; there is no window to show here.
Integer ExecuteProgram(const AnsiString& FileName, const AnsiString& Params, const AnsiString& Dir,
                       TWindowState State);

} // namespace vmado
