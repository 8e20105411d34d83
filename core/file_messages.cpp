#include "core/file_messages.h"

namespace {

// The few errors a user can act on; the rest by number.
struct Reason {
    unsigned long code;
    const char* text;
};
constexpr Reason kReasons[] = {
    {3, "složka neexistuje"},                   // ERROR_PATH_NOT_FOUND
    {5, "přístup byl odepřen"},                 // ERROR_ACCESS_DENIED
    {8, "nedostatek paměti"},                   // ERROR_NOT_ENOUGH_MEMORY
    {14, "nedostatek paměti"},                  // ERROR_OUTOFMEMORY
    {19, "disk je chráněn proti zápisu"},       // ERROR_WRITE_PROTECT
    {21, "zařízení není připraveno"},           // ERROR_NOT_READY
    {32, "soubor používá jiný program"},        // ERROR_SHARING_VIOLATION
    {33, "část souboru zamkl jiný program"},    // ERROR_LOCK_VIOLATION
    {39, "disk je plný"},                       // ERROR_HANDLE_DISK_FULL
    {112, "disk je plný"},                      // ERROR_DISK_FULL
    {206, "cesta je příliš dlouhá"},            // ERROR_FILENAME_EXCED_RANGE
    {1816, "překročena kvóta"},                 // ERROR_NOT_ENOUGH_QUOTA
    {1392, "soubor nebo složka je poškozena"},  // ERROR_FILE_CORRUPT
};

}  // namespace

const char kProgramIniUnreadNote[] = "Okno a rychlá tlačítka proto mají výchozí nastavení. Při ukončení se do "
                                     "souboru zapíše jen to, co změníte; ostatní nastavení v něm zůstane.";

std::string FileErrorReason(unsigned long code)
{
    for (const Reason& reason : kReasons) {
        if (reason.code == code)
            return reason.text;
    }
    return "kód chyby " + std::to_string(code);
}

std::string CannotReadFileMessage(const std::string& path, unsigned long code)
{
    return "Soubor " + path + " nelze přečíst: " + FileErrorReason(code) + ".";
}

const char kReadOnlyFileReason[] = "soubor je jen pro čtení";
const char kFolderOfThatNameReason[] = "takto se jmenuje složka";
const char kPathTooLongReason[] = "cesta je příliš dlouhá";
const char kNotWrittenWholeReason[] = "zapsaný soubor se nepodařilo ověřit, disk je možná plný";

std::string CannotWriteFileMessage(const std::string& path, const std::string& reason)
{
    return "Do souboru " + path + " nelze zapisovat" + (reason.empty() ? "" : ": " + reason) + ".";
}

std::string ShortcutNotCreatedMessage(const std::string& path, const std::string& reason)
{
    return "Zástupce " + path + " nebyl vytvořen: " + reason + ".";
}

std::string ReplaceQuestion(const std::string& path)
{
    return "Soubor " + path + " již existuje. Chcete jej nahradit?";
}
