// The about box: the program's version and build date over its picture,
// the author's web and mail links, and a short report on this machine that
// can be mailed to the author.
#pragma once

#include "components/label_3d.h"
#include "wingui/form.h"
#include "wingui/label.h"

class TAutor : public TForm {
public:
    TAutor(HWND owner, int mainWindowPixelsPerInch);
    ~TAutor() override;

    // Layout, from the back to the front.
    TmyLabel3d myLabel3d1;  // heading with the version
    TmyLabel3d myLabel3d3;  // web link
    TLabel Label5;
    TLabel Label8;
    TmyLabel3d myLabel3d4;  // mail link
    TLabel Label2;          // build date
    TLabel Label3;
    TLabel Label1;          // the author
    TLabel Label4;          // the licence
    TmyLabel3d myLabel3d6;  // "Pošli informace"
    TmyLabel3d myLabel3d7;  // "Zavřít"

    void myLabel3d3Click();
    void myLabel3d4Click();
    void myLabel3d6Click();
    void myLabel3d7Click();

    Backdrop BackdropBehind(const RECT& area) const override;

protected:
    void PaintBackground(HDC dc, const RECT& area) override;
    HWND DefaultFocus() const override;
    void MenuCommand(int id) override;

private:
    void FormCreate();
    std::string InfoMailBody();
    static std::string ExecutablePath();

    OwnedBitmap Image1;
    int mainWindowPixelsPerInch_;
};

// The author and the contacts the about box names.
extern const char kAuthorName[];
extern const char kAuthorWeb[];
extern const char kAuthorMail[];
extern const char kSupportMail[];
