// Long names and deep folders: the program keeps working and loses nothing.
#include "tests/e2e/e2e_fixture.h"

using namespace e2e;

TEST_F(TamarkoTest, RunsFromAFolderWithAPathOfHundredsOfCharacters)
{
    // A folder path just short of what Windows 2000 allows for the INI file beside the program.
    std::string deep = folder.Path();
    while (deep.size() < 215) {
        deep += "\\Slo\xBEka s dlouh\xFDm n\xE1zvem";  // "Složka s dlouhým názvem" in code page 1250
        ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr)) << deep;
    }
    for (const char* file : {"tamarko.exe", "netsh.exe", "ipconfig.exe"})
        ASSERT_TRUE(CopyFileA(folder.File(file).c_str(), (deep + "\\" + file).c_str(), FALSE));
    WriteFileBytes(deep + "\\netsim-state.txt",
        NetsimState({{"LAN", false, "192.168.1.10", "255.255.255.0", "192.168.1.1", "192.168.1.1"}}));

    program = Process(deep + "\\tamarko.exe", "", deep, {}, Recording::On);
    HWND form = WaitForTopWindow(program.Id(), "TForm1", "Tamarko");
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    ASSERT_TRUE(WaitUntil([&] { return Text(window.statusBar) == kStateLegend; }));
    EXPECT_EQ(Text(window.ip), "192.168.1.10");
    CloseAndWait(form);
    const std::string ini = ReadFileBytes(deep + "\\tamarko.ini");
    EXPECT_NE(ini.find("Left=100"), std::string::npos)
        << "the INI file beside the program at " << deep.size() << " characters";
}

TEST_F(TamarkoTest, AConnectionNameOfHundredsOfCharactersIsShownAndUsable)
{
    std::string name;
    while (name.size() < 300)
        name += "P\xF8ipojen\xED ";  // "Připojení "
    name += "konec";
    folder.WriteNetsimState(NetsimState({{name, false, "10.1.2.3", "255.0.0.0", "", ""}}));
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    const MainWindow window(form);
    // The chooser lists what fits its line: the name up to 254 characters.
    EXPECT_EQ(Text(window.connectionName), name.substr(0, 254));
    EXPECT_EQ(Text(window.ip), "10.1.2.3");

    // The label shows its whole caption as a tooltip when the mouse is over it.
    BringToFront(form);
    MoveMouse(window.connectionName, 20, 8);
    MoveMouse(window.connectionName, 30, 8);
    HWND tip = nullptr;
    EXPECT_TRUE(WaitUntil(
        [&] {
            tip = FindTopWindow(program.Id(), "tooltips_class32");
            return tip && Text(tip) == name.substr(0, 254);
        },
        5s));
    CloseAndWait(form);
}

TEST_F(TamarkoTest, AReportLargerThanAnyRealOneEndsTheProgramWithItsMessage)
{
    // 70 MB that name no connection, as a report gone wild would: lines, or
    // one line that never ends.
    for (const bool brokenIntoLines : {true, false}) {
        const std::string reportFile = folder.File("huge report.bin");
        {
            std::string line(998, 'x');
            line += brokenIntoLines ? "\r\n" : "xx";
            std::string chunk;
            while (chunk.size() < 1024 * 1024)
                chunk += line;
            HANDLE file = CreateFileA(reportFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            ASSERT_NE(file, INVALID_HANDLE_VALUE);
            for (int megabyte = 0; megabyte < 70; ++megabyte) {
                DWORD written = 0;
                WriteFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &written, nullptr);
            }
            CloseHandle(file);
        }
        folder.WriteNetsimState(NetsimState({}, "report_file = " + reportFile + "\r\n"));
        program = StartTamarko(folder);
        const auto box = WaitForMessageBox(program.Id(), 60s);
        ASSERT_TRUE(box.has_value()) << brokenIntoLines;
        EXPECT_EQ(box->caption, "Tamarko");
        EXPECT_EQ(box->text,
            "Výstup příkazu „netsh interface ip show config“ je delší než 64 MiB, a proto jej nelze zpracovat.")
            << (brokenIntoLines ? "lines" : "one line");
        HWND form = FindTopWindow(program.Id(), "TForm1");
        ASSERT_NE(form, nullptr);
        EXPECT_FALSE(Enabled(form)) << "the main window is never usable";
        PressButton(box->window);
        const auto shown = WindowsShownUntilExit(program);
        ASSERT_TRUE(shown.has_value()) << "the program ends, as when the report cannot run";
        EXPECT_EQ(shown->count("#32770"), 0u) << "nothing more is said";
        EXPECT_FALSE(FileExists(folder.IniPath())) << "nothing is written";
        DeleteFileA(reportFile.c_str());
    }
}
