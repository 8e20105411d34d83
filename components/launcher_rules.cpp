// The launcher's message tables, command line, working-directory rule and
// the Windows constants its settings stand for.
#include "components/launcher_rules.h"

#include <cstddef>

namespace {

constexpr std::size_t kMessageCount = 17;
using MessageTable = const char* const[kMessageCount];

constexpr MessageTable kCzechMessages = {
    "Systém má málo volné paměti nebo je soubor vadný",
    "Soubor nelze najít",
    "Cestu nelze najít",
    "Pokus o dynamické propojení s úlohou nebo chyba sdílení či ochrany sítě",
    "Knihovna vyžaduje pro každou úlohu samostatné datové segmenty",
    "Pro spuštění aplikace není dost paměti",
    "Špatná verze Windows",
    "Spustitelný soubor je neplatný. Buď nejde o aplikaci pro Windows, nebo je v obrazu .EXE chyba",
    "Aplikace je určena pro jiný operační systém",
    "Aplikace je určena pro MS-DOS 4.0",
    "Typ spustitelného souboru je neznámý",
    "Pokus o načtení aplikace pro reálný režim (vytvořené pro starší verzi Windows)",
    "Pokus o načtení druhé instance spustitelného souboru s více datovými segmenty, které nejsou označeny jen pro "
    "čtení",
    "Pokus o načtení komprimovaného spustitelného souboru. Soubor je třeba před načtením dekomprimovat",
    "Dynamická knihovna (DLL) je vadná",
    "Aplikace vyžaduje 32-bitové Windows",
    "Chyba",
};

// Windows-1250 has no è, à or ê, so those three are written as their
// Windows-1252 bytes, the code page the French texts are read in.
constexpr MessageTable kFrenchMessages = {
    "Syst\xE8"
    "me dépassé en capacité mémoire, exécutable corrompu, ou réallocations invalides",
    "Fichier non trouvé",
    "Chemin non trouvé",
    "Tentative de liaison dynamique \xE0 une tâche, ou erreur de partage, ou erreur de protection réseau",
    "Librairie nécessitant des segments de données séparés pour chaque tâche",
    "Mémoire insuffisante pour démarrer l'application",
    "Version de Windows incorrecte",
    "Exécutable invalide, application non Windows, ou erreur dans l'image du fichier .EXE",
    "Application écrite pour un syst\xE8"
    "me d'exploitation différent",
    "Application écrite pour MS-DOS 4.0",
    "Type d'exécutable inconnu",
    "Tentative de chargement d'une application en mode réel (développée pour une version antérieure de Windows)",
    "Tentative de chargement d'une seconde instance d'un exécutable contenant plusieurs segments de données non "
    "marqués en lecture seule",
    "Tentative de chargement d'un exécutable compressé. Le fichier doit \xEA"
    "tre décompressé avant de pouvoir \xEA"
    "tre chargé",
    "Fichier Dynamic-link library (DLL) invalide. Une des DLLs requises pour exécuter cette application est "
    "corrompue",
    "Application nécessitant des extensions 32-bit",
    "Pas d'erreur",
};

constexpr MessageTable kItalianMessages = {
    "Il sistema non dispone di memoria sufficiente, il file eseguibile e' danneggiato, od i riferimenti sono "
    "sbagliati",
    "File non trovato",
    "Path non trovato",
    "E' stato fatto un tentativo per collegarsi dinamicamente all'applicazione, o c'e' stato un errore di "
    "condivisione o di protezione della rete",
    "La libreria richiede segmenti di dati differenti per ogni copia dell'applicazione",
    "Non c'e' abbastanza memoria per lanciare l'applicazione",
    "Versione errata di Windows",
    // The trailing space belongs to the text.
    "File eseguibile invalido. Potrebbe non essere un'applicazione per Windows o c'e' un errore nell'immagine .EXE ",
    "Applicazione destinata ad un sistema operativo differente",
    "Applicazione per MS-DOS 4.0",
    "File eseguibile di tipo sconosciuto",
    "E' stato fatto un tentativo per caricare l'applicazione di modalita' reale (sviluppata per le precedenti "
    "versioni di Windows)",
    "E' stato fatto un tentativo per caricare una seconda volta un eseguibile che contiene segmenti di dati "
    "multipli non marcati Sola Lettura",
    "E' stato fatto un tentativo per caricare un file eseguibile compresso. Il file deve essere decompresso prima "
    "di poter essere caricato",
    "La libreria DLL non e' valida. Una delle librerie DLL richieste dall'applicazione per poter girare e' "
    "danneggiata",
    "L'Applicazione richiede l'installazione delle estensioni a 32-Bit",
    "Nessun errore",
};

// The language last assigned on any launcher; Czech before any assignment.
// A pointer initialised with a constant, so it is right even for code that
// runs during static initialisation.
const char* const* g_messages = kCzechMessages;

// Position of an error number's text in a table, or -1 when it has none.
int MessageIndex(std::int32_t errNo)
{
    if (errNo >= 32)
        return 16;
    switch (errNo) {
    case 0:
        return 0;
    case 2:
        return 1;
    case 3:
        return 2;
    case 5:
        return 3;
    case 6:
        return 4;
    case 8:
        return 5;
    case 19:
    case 20:
    case 21:
        return errNo - 6;  // 13 to 15
    default:
        if (errNo >= 10 && errNo <= 16)
            return errNo - 4;  // 6 to 12
        return -1;
    }
}

}  // namespace

void SetAppExecLanguage(TLangType language)
{
    switch (language) {
    case ltFrench:
        g_messages = kFrenchMessages;
        break;
    case ltCzech:
        g_messages = kCzechMessages;
        break;
    case ltItalian:
        g_messages = kItalianMessages;
        break;
    default:
        // A value outside the enumeration leaves the texts as they are.
        break;
    }
}

std::string AppExecMessage(std::uint32_t errNo)
{
    // The numbers come from GetLastError and exit codes alike; from 2^31 up
    // they count as negative and have no text.
    const int index = MessageIndex(static_cast<std::int32_t>(errNo));
    return index < 0 ? std::string() : std::string(g_messages[index]);
}

std::string BuildAppExecCommandLine(const std::string& exeName, const std::vector<std::string>& params)
{
    std::string commandLine = exeName;
    for (const std::string& param : params)
        commandLine += " " + param;
    return commandLine;
}

std::string NormaliseExePath(const std::string& value)
{
    const bool isRoot = value == "\\" || (value.size() == 3 && value[1] == ':' && value[2] == '\\');
    if (value.empty() || value.back() != '\\' || isRoot)
        return value;
    return value.substr(0, value.size() - 1);
}

std::uint32_t PriorityClassFlag(int priorityClass)
{
    switch (priorityClass) {
    case pcHigh:
        return 0x80;  // HIGH_PRIORITY_CLASS
    case pcIdle:
        return 0x40;  // IDLE_PRIORITY_CLASS
    case pcRealtime:
        return 0x100;  // REALTIME_PRIORITY_CLASS
    case pcNormal:
    default:
        return 0x20;  // NORMAL_PRIORITY_CLASS
    }
}

std::uint16_t ShowWindowCommandFor(TWindowState state)
{
    switch (state) {
    case wsMinimized:
        return 2;  // SW_SHOWMINIMIZED
    case wsMaximized:
        return 3;  // SW_SHOWMAXIMIZED
    case wsMinimizedNoActivate:
        return 7;  // SW_SHOWMINNOACTIVE
    case wsNormal:
    default:
        return 1;  // SW_SHOWNORMAL
    }
}

std::string CommandLineTooLongMessage(std::size_t length)
{
    return "Příkazový řádek je příliš dlouhý (" + std::to_string(length) + " znaků, nejvýše "
        + std::to_string(kMaxAppExecCommandLine) + "). Příkaz nebyl spuštěn.";
}
