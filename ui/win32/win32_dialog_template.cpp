#include "ui/win32/win32_dialog_template.h"

#include <windows.h>

#include <commctrl.h>

#include "platform/win32/wide.h"

using platform::ControlKind;
using platform::ControlTemplate;

namespace voxwin {

using platform::win32::Narrow;
using platform::win32::Widen;

namespace {

// The predefined window classes by their atoms, as resource compilers write them.
constexpr std::uint16_t kButtonAtom = 0x0080;
constexpr std::uint16_t kEditAtom = 0x0081;
constexpr std::uint16_t kStaticAtom = 0x0082;
constexpr std::uint16_t kListBoxAtom = 0x0083;
constexpr std::uint16_t kComboBoxAtom = 0x0085;

class Writer {
public:
    void Word(std::uint16_t w) { m_words.push_back(w); }
    void Dword(std::uint32_t d) {
        Word(static_cast<std::uint16_t>(d & 0xFFFF));
        Word(static_cast<std::uint16_t>(d >> 16));
    }
    void Short(int v) { Word(static_cast<std::uint16_t>(static_cast<std::int16_t>(v))); }
    void String(std::string_view utf8) {
        for (wchar_t ch : Widen(utf8))
            Word(static_cast<std::uint16_t>(ch));
        Word(0);
    }
    void Ordinal(std::uint16_t value) {
        Word(0xFFFF);
        Word(value);
    }
    void AlignDword() {
        if (m_words.size() % 2)
            Word(0);
    }
    std::vector<std::uint16_t> Take() { return std::move(m_words); }

private:
    std::vector<std::uint16_t> m_words;
};

std::uint32_t KindStyle(const ControlTemplate& c) {
    switch (c.kind) {
    case ControlKind::Button:
        return BS_PUSHBUTTON;
    case ControlKind::DefButton:
        return BS_DEFPUSHBUTTON;
    case ControlKind::Radio:
        return BS_AUTORADIOBUTTON;
    case ControlKind::Check:
        return BS_AUTOCHECKBOX;
    case ControlKind::Group:
        return BS_GROUPBOX;
    case ControlKind::Static:
        return (c.flags & platform::kCentred) ? SS_CENTER : SS_LEFT;
    case ControlKind::List:
        return (c.flags & platform::kNotify) ? LBS_NOTIFY : 0;
    case ControlKind::Edit:
        return ES_AUTOHSCROLL | ((c.flags & platform::kReadOnly) ? ES_READONLY : 0) |
               ((c.flags & platform::kCentred) ? ES_CENTER : 0);
    case ControlKind::Trackbar:
        return TBS_AUTOTICKS | TBS_BOTH | ((c.flags & platform::kVertical) ? TBS_VERT : TBS_HORZ);
    case ControlKind::Combo:
        return CBS_DROPDOWNLIST;
    case ControlKind::Icon:
        return SS_ICON;
    }
    return 0;
}

void WriteClass(Writer& out, ControlKind kind) {
    switch (kind) {
    case ControlKind::Button:
    case ControlKind::DefButton:
    case ControlKind::Radio:
    case ControlKind::Check:
    case ControlKind::Group:
        return out.Ordinal(kButtonAtom);
    case ControlKind::Static:
    case ControlKind::Icon:
        return out.Ordinal(kStaticAtom);
    case ControlKind::List:
        return out.Ordinal(kListBoxAtom);
    case ControlKind::Edit:
        return out.Ordinal(kEditAtom);
    case ControlKind::Combo:
        return out.Ordinal(kComboBoxAtom);
    case ControlKind::Trackbar:
        return out.String("msctls_trackbar32");
    }
}

// The first face that EnumFontFamiliesExW reports for the request, or "".
int CALLBACK FirstFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM out) {
    if (font->lfFaceName[0] == L'@') // a vertical-writing face
        return 1;
    *reinterpret_cast<std::wstring*>(out) = font->lfFaceName;
    return 0;
}

std::wstring InstalledFace(std::wstring_view face, BYTE charset) {
    LOGFONTW wanted{};
    wanted.lfCharSet = charset;
    if (face.size() >= LF_FACESIZE)
        return {};
    face.copy(wanted.lfFaceName, face.size());
    std::wstring found;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, &FirstFace, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

// The face of the font the system maps the face to (with the default
// character set, as a dialog manager may ask for it).
std::wstring MappedFace(const std::wstring& face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    wanted.lfHeight = -12;
    face.copy(wanted.lfFaceName, LF_FACESIZE - 1);
    HFONT font = CreateFontIndirectW(&wanted);
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, font);
    wchar_t mapped[LF_FACESIZE] = {};
    GetTextFaceW(screen, LF_FACESIZE, mapped);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    DeleteObject(font);
    return mapped;
}

} // namespace

std::string DialogFace(std::string_view templateFace) {
    const std::wstring own = Widen(templateFace);
    if (!InstalledFace(MappedFace(own), SHIFTJIS_CHARSET).empty())
        return std::string(templateFace);
    // Japanese UI faces of Windows and Linux, as the wx window falls back.
    for (std::wstring_view face : {L"Yu Gothic UI", L"Meiryo UI", L"Noto Sans CJK JP"}) {
        if (!InstalledFace(face, DEFAULT_CHARSET).empty())
            return Narrow(face);
    }
    const std::wstring any = InstalledFace(L"", SHIFTJIS_CHARSET);
    return any.empty() ? std::string(templateFace) : Narrow(any);
}

std::uint32_t ControlStyle(const ControlTemplate& c) {
    std::uint32_t style = WS_CHILD | KindStyle(c);
    if (!(c.flags & platform::kHidden))
        style |= WS_VISIBLE;
    if (c.flags & platform::kDisabled)
        style |= WS_DISABLED;
    if (c.flags & platform::kStartsGroup)
        style |= WS_GROUP;
    if (c.flags & platform::kTabStop)
        style |= WS_TABSTOP;
    if (c.flags & platform::kBorder)
        style |= WS_BORDER;
    if (c.flags & platform::kVScroll)
        style |= WS_VSCROLL;
    return style;
}

std::vector<std::uint16_t> BuildDialogTemplate(const platform::DialogTemplate& dialog,
                                               std::uint32_t extraStyle) {
    Writer out;
    out.Word(1);      // dlgVer
    out.Word(0xFFFF); // signature: the extended form
    out.Dword(0);     // helpID
    out.Dword(0);     // exStyle
    out.Dword(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU |
              extraStyle);
    out.Word(static_cast<std::uint16_t>(dialog.controls.size()));
    out.Short(0);
    out.Short(0);
    out.Short(dialog.w);
    out.Short(dialog.h);
    out.Word(0); // no menu
    out.Word(0); // the dialog class
    out.String(dialog.caption);
    out.Short(dialog.fontPoints);
    out.Word(FW_NORMAL);
    out.Word(static_cast<std::uint16_t>(SHIFTJIS_CHARSET << 8)); // italic 0, character set
    out.String(DialogFace(dialog.fontName));

    for (const ControlTemplate& c : dialog.controls) {
        out.AlignDword();
        out.Dword(0); // helpID
        out.Dword(0); // exStyle
        out.Dword(ControlStyle(c));
        out.Short(c.x);
        out.Short(c.y);
        out.Short(c.w);
        out.Short(c.h);
        out.Dword(static_cast<std::uint32_t>(c.id));
        WriteClass(out, c.kind);
        if (c.kind == ControlKind::Icon)
            out.Ordinal(static_cast<std::uint16_t>(c.id));
        else
            out.String(c.label);
        out.Word(0); // no creation data
    }
    return out.Take();
}

} // namespace voxwin
