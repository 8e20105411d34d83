// What the program says when a file it keeps for the user cannot be read or
// written: the file by name and the reason in the user's words.
#pragma once

#include <string>

// Why Windows refused a file, in Czech, from the system's error number
// ("soubor používá jiný program" for a sharing violation).
std::string FileErrorReason(unsigned long code);

// "Soubor <path> nelze přečíst: <reason>."
std::string CannotReadFileMessage(const std::string& path, unsigned long code);

// "Do souboru <path> nelze zapisovat: <reason>."; without a reason when
// none is known.
std::string CannotWriteFileMessage(const std::string& path, const std::string& reason);
// Reasons that no error number carries.
extern const char kReadOnlyFileReason[];
extern const char kFolderOfThatNameReason[];
extern const char kPathTooLongReason[];
extern const char kNotWrittenWholeReason[];

// What follows the message at the start when the program INI file exists
// but cannot be read: the window starts as without one, and the file keeps
// what it holds.
extern const char kProgramIniUnreadNote[];

// "Zástupce <path> nebyl vytvořen: <reason>."
std::string ShortcutNotCreatedMessage(const std::string& path, const std::string& reason);

// "Soubor <path> již existuje. Chcete jej nahradit?": asked before a file
// the user did not name in a dialog is replaced.
std::string ReplaceQuestion(const std::string& path);
