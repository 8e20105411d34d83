// The about box: version, build date, picture, links and the mailed report.
#include "tests/e2e/e2e_fixture.h"

using namespace e2e;

namespace {

const NetConnection kLan{"LAN", false, "192.168.1.10", "255.255.255.0", "192.168.1.1", "192.168.1.1"};

// Colours of the picture where no label stands (the picture's own palette).
struct PictureSample {
    int x, y;
    COLORREF rgb;
} const kPictureSamples[] = {
    {392, 76, RGB(0xff, 0xe9, 0x8a)},   // sun
    {120, 80, RGB(0xfb, 0xfd, 0xff)},   // cloud
    {210, 66, RGB(0x2a, 0x9d, 0x8f)},   // a node
    {205, 181, RGB(0x3d, 0x5a, 0x80)},  // another node
    {225, 325, RGB(0x2f, 0x5a, 0x3c)},  // foreground
};

bool Near(COLORREF a, COLORREF b, int tolerance)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance
        && std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// Takes a URL scheme's shell command away for the life of the holder.
class SchemeWithoutHandler {
public:
    explicit SchemeWithoutHandler(const std::string& scheme)
        : key_("Software\\Classes\\" + scheme + "\\shell\\open\\command")
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
            return;
        char value[1024] = {};
        DWORD size = sizeof value;
        if (RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS) {
            saved_ = value;
            RegDeleteValueA(key, nullptr);
        }
        RegCloseKey(key);
    }
    ~SchemeWithoutHandler()
    {
        HKEY key;
        if (saved_.empty() || RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
            return;
        RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(saved_.c_str()),
            static_cast<DWORD>(saved_.size() + 1));
        RegCloseKey(key);
    }

private:
    std::string key_;
    std::string saved_;
};

std::string ExpectedBuildDate(const std::string& exe)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    GetFileAttributesExA(exe.c_str(), GetFileExInfoStandard, &data);
    FILETIME local;
    SYSTEMTIME time;
    FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &time);
    char date[64] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, sizeof date);
    return date;
}

class AboutTest : public TamarkoTest {
protected:
    HWND OpenAbout()
    {
        folder.WriteNetsimState(NetsimState({kLan}));
        form = StartFilled();
        if (!form)
            return nullptr;
        BringToFront(form);
        PressKey(VK_F2);
        return WaitForTopWindow(program.Id(), "TAutor", "Autor programu");
    }
    HWND form = nullptr;
};

}  // namespace

TEST_F(AboutTest, F2ShowsVersionDateAndPicture)
{
    HWND about = OpenAbout();
    ASSERT_NE(about, nullptr) << "F2 opens the about box";
    const RECT client = ClientRect(about);
    EXPECT_EQ(client.right, 450);
    EXPECT_EQ(client.bottom, 338);
    EXPECT_FALSE(Enabled(form)) << "shown modally";
    EXPECT_EQ(Text(FindControl(about, 8, 16)), "Tamarko verze 1.4");
    EXPECT_EQ(Text(FindControl(about, 8, 208)),
        "Tato verze spatřila světlo světa: " + ExpectedBuildDate(folder.File("tamarko.exe")));
    EXPECT_EQ(Text(FindControl(about, 8, 226)), "Internetová adresa:");
    EXPECT_EQ(Text(FindControl(about, 296, 226)), "E-mailová adresa autora:");
    // The author and the licence, over the picture: where no letter stands
    // the picture shows through.
    HWND author = FindControl(about, 8, 50);
    HWND licence = FindControl(about, 8, 266);
    ASSERT_NE(author, nullptr);
    ASSERT_NE(licence, nullptr);
    EXPECT_EQ(Text(author), "Tým Tamarko");
    EXPECT_EQ(Text(licence), "Šířeno pod licencí MIT.");
    EXPECT_TRUE(WaitUntil([&] { return Near(PixelAt(about, 118, 53), RGB(156, 201, 234), 12); }))
        << "sky behind the author: " << std::hex << PixelAt(about, 118, 53);
    EXPECT_TRUE(WaitUntil([&] { return Near(PixelAt(about, 220, 268), RGB(231, 238, 205), 12); }))
        << "field behind the licence: " << std::hex << PixelAt(about, 220, 268);
    // Each stands clear of the others.
    for (HWND label : {author, licence}) {
        const RECT own = RectIn(label, about);
        for (HWND other : Children(about)) {
            if (other == author || other == licence)
                continue;
            const RECT theirs = RectIn(other, about);
            RECT common;
            EXPECT_FALSE(IntersectRect(&common, &own, &theirs)) << Text(label) << " covers " << Text(other);
        }
    }
    EXPECT_EQ(Text(FindControl(about, 56, 304)), "Pošli informace");
    HWND close = FindControl(about, 304, 304);
    EXPECT_EQ(Text(close), "Zavřít");
    for (const auto& sample : kPictureSamples) {
        EXPECT_TRUE(WaitUntil([&] { return Near(PixelAt(about, sample.x, sample.y), sample.rgb, 12); }, 20s))
            << "picture at " << sample.x << "," << sample.y << ": " << std::hex << PixelAt(about, sample.x, sample.y);
    }

    Click(close, 10, 10);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about) || !IsWindowVisible(about); }, 20s)) << "Zavřít closes it";
    EXPECT_TRUE(WaitUntil([&] { return Enabled(form); }, 20s));
    CloseAndWait(form);
}

TEST_F(AboutTest, ALinkThatCannotBeOpenedSaysSoAndTheBoxStays)
{
    HWND about = OpenAbout();
    ASSERT_NE(about, nullptr);
    {
        SchemeWithoutHandler noBrowser("http");
        Click(FindControl(about, 8, 240), 10, 8);
        // The shell looks through every way of opening the address first.
        const auto box = WaitForMessageBox(program.Id(), 60s);
        ASSERT_TRUE(box.has_value());
        EXPECT_EQ(box->text, "Nemohu spustit webový prohlížeč.");
        PressButton(box->window);
    }
    EXPECT_TRUE(IsWindowVisible(about));
    {
        SchemeWithoutHandler noMail("mailto");
        Click(FindControl(about, 296, 240), 10, 8);
        const auto box = WaitForMessageBox(program.Id(), 60s);
        ASSERT_TRUE(box.has_value());
        EXPECT_EQ(box->text, "Nemohu spustit poštovní program.");
        PressButton(box->window);

        // Without a mail program the report is shown, so it can go another way.
        Click(FindControl(about, 56, 304), 10, 10);
        const auto apology = WaitForMessageBox(program.Id(), 60s);
        ASSERT_TRUE(apology.has_value());
        EXPECT_EQ(apology->text,
            "Nemohu spustit poštovní program. Pošlete, prosím, následující údaje na adresu podpora@example.com");
        PressButton(apology->window);
        const auto report = WaitForMessageBox(program.Id());
        ASSERT_TRUE(report.has_value());
        const std::string& body = report->text;
        EXPECT_EQ(body.rfind("WinXP RAM:", 0), 0u) << body;
        EXPECT_NE(body.find("MB CPU:"), std::string::npos) << body;
        // The memory in thousands of KiB, grouped as the locale groups digits.
        MEMORYSTATUS memory = {};
        memory.dwLength = sizeof memory;
        GlobalMemoryStatus(&memory);
        std::string ramDigits;
        for (const char c : body.substr(10, body.find("MB CPU:") - 10)) {
            if (c >= '0' && c <= '9')
                ramDigits += c;
        }
        EXPECT_EQ(ramDigits, std::to_string(memory.dwTotalPhys / 1024000)) << body;
        // The figures as this desktop gives them to the test too.
        const std::string screen = "MHz Obrazovka:" + std::to_string(GetSystemMetrics(SM_CXFULLSCREEN)) + "x"
            + std::to_string(GetSystemMetrics(SM_CYFULLSCREEN) + GetSystemMetrics(SM_CYCAPTION)) + " ";
        EXPECT_NE(body.find(screen), std::string::npos) << screen << " in " << body;
        HDC desktop = GetDC(nullptr);
        const std::string dpi = " DPI:" + std::to_string(GetDeviceCaps(desktop, LOGPIXELSY)) + " Cesta:";
        ReleaseDC(nullptr, desktop);
        EXPECT_NE(body.find(dpi), std::string::npos) << dpi << " in " << body;
        EXPECT_NE(body.find(" Cesta:" + folder.Path() + "\\ Čas:"), std::string::npos) << body;
        EXPECT_EQ(body.find_first_of("\r\n"), std::string::npos) << "one line";
        EXPECT_EQ(body.back(), ' ');
        PressButton(report->window);
    }
    EXPECT_TRUE(IsWindowVisible(about));
    Click(FindControl(about, 304, 304), 10, 10);
    CloseAndWait(form);
}

TEST_F(TamarkoTest, TrayMenuOpensTheAboutBox)
{
    folder.WriteNetsimState(NetsimState({kLan}));
    HWND form = StartFilled();
    ASSERT_NE(form, nullptr);
    PostMessageA(form, WM_USER + 1, 1, WM_RBUTTONDOWN);
    ASSERT_NE(WaitForPopupMenu(program.Id()), nullptr);
    for (int item = 0; item < 4; ++item)  // Obnovit, Otevřít, Uložit, O programu (separators skipped)
        PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    HWND about = WaitForTopWindow(program.Id(), "TAutor", "Autor programu");
    ASSERT_NE(about, nullptr);
    PostMessageA(about, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return Enabled(form); }, 20s));
    CloseAndWait(form);
}
