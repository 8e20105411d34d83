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

    Backdrop BackdropBehind(const RECT& area) const override;

protected:
    void PaintBackground(HDC dc, const RECT& area) override;
    HWND DefaultFocus() const override;
    void MenuCommand(int id) override;

private:
    void FormCreate();
    // The links and the two label buttons.
    void OnOpenWeb();
    void OnWriteMail();
    void OnSendInformation();
    void OnClose();
    std::string InfoMailBody();
    static std::string ExecutablePath();

    // Layout, from the back to the front.
    TmyLabel3d heading_;  // with the version
    TmyLabel3d webLink_;
    TLabel webCaption_;
    TLabel invitation_;  // to tell the author of a use
    TmyLabel3d mailLink_;
    TLabel buildDate_;
    TLabel mailCaption_;
    TLabel author_;
    TLabel licence_;
    TmyLabel3d sendInformationButton_;  // "Pošli informace"
    TmyLabel3d closeButton_;            // "Zavřít"

    OwnedBitmap picture_;
    int mainWindowPixelsPerInch_;
};

// The author and the contacts the about box names.
extern const char kAuthorName[];
extern const char kAuthorWeb[];
extern const char kAuthorMail[];
extern const char kSupportMail[];
