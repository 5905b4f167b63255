#include "ui/about_box.h"

#include <shellapi.h>

#include "common/buffers.h"
#include "common/path.h"
#include "common/scoped.h"
#include "common/system_library.h"
#include "common/text.h"
#include "common/unicode.h"
#include "common/window.h"
#include "skin/texture.h"
#include "ui/common_controls.h"
#include "ui/dialog_template.h"
#include "ui/file_version.h"

const char AboutGuidePage[] = "guide\\guide.html";
const char AboutLinkText[] = "[ User guide ]";
namespace {

// The shell library is loaded when the link is clicked, not at every start.
HINSTANCE WINAPI OpenWithShell(HWND window, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR folder, INT show)
{
    auto shellExecute = SystemFunction<decltype(&ShellExecuteW)>("shell32.dll", "ShellExecuteW");
    return shellExecute ? shellExecute(window, verb, file, parameters, folder, show) : nullptr;
}

}  // namespace

AboutSeams gAboutShell = {OpenWithShell};

namespace {

const char AboutCaption[] = "About Stowlet";
// Named in ASCII for SubclassWindow (and GetPropA): the same atom as the wide name.
const char LinkProcProperty[] = "_Hyperlink_Original_Proc_";
const wchar_t LinkFontProperty[] = L"_Hyperlink_Original_Font_";
const wchar_t LinkUnderlineProperty[] = L"_Hyperlink_Underline_Font_";
constexpr COLORREF LinkColor = 0xC40000;  // blue 196
constexpr size_t AboutTemplateCapacity = 1024;

// The open box's state, reached from its handle: the arguments of RunAboutDialog and what the
// box makes when it opens. It outlives the window, so what it owns goes with it.
struct AboutState {
    HWND owner;
    HICON icon;
    const char* ownPath;       // whose file version the caption shows
    ScopedBitmap picture;      // none when it could not be made
    ScopedFont linkUnderline;  // the link's font while the pointer is over it
};

AboutState* StateOf(HWND dialog) { return reinterpret_cast<AboutState*>(GetWindowLongPtrW(dialog, GWLP_USERDATA)); }

const DialogControl AboutControls[] = {
    {0x50008357, 8, 5, 283, 266, AboutFrameId, ClassButton, nullptr, " Stowlet "},
    {0x50000101, 117, 266, 70, 12, AboutLinkId, ClassStatic, nullptr, AboutLinkText},
    {0x50018011, 117, 282, 70, 16, AboutOkId, ClassButton, nullptr, "OK"},
};

void SetVersionCaption(HWND dialog, const char* ownPath)
{
    char version[PathCapacity];
    if (!ownPath || !ReadFileVersion(ownPath, version, sizeof version)) return;
    // The whole text always fits the larger buffer; a caption too long for its own buffer then
    // shows cut with "..." rather than cut silently.
    char full[TextCapacity];
    if (!TextCopy(full, AboutCaption) || !TextAppend(full, " - Version: ") || !TextAppend(full, version)) return;
    char caption[PathCapacity];
    TextCopyForDisplay(caption, sizeof caption, full);
    SetWindowTextW(dialog, WideText(caption).Get());
}

// After a move the desktop behind the old place is redrawn, so no stale texture stays there.
void RedrawScreenUnder(HWND window)
{
    RECT area;
    if (GetWindowRect(window, &area))
        RedrawWindow(GetDesktopWindow(), &area, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// The guide that the zip puts beside the exe; without it the exe's own folder, where whatever
// came with the exe lies.
void OpenGuide(HWND dialog, const char* ownPath)
{
    char target[TextCapacity];
    char page[TextCapacity];
    if (!FolderOfPath(ownPath, target) || target[0] == '\0') return;
    if (TextCopy(page, target) && TextAppend(page, AboutGuidePage)) {
        const DWORD attributes = GetFileAttributesW(WideText(page).Get());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !TextCopy(target, page))
            return;
    }
    gAboutShell.shellExecute(dialog, nullptr, WideText(target).Get(), nullptr, nullptr, SW_SHOWDEFAULT);
}

LRESULT PassOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallPreviousProcedure(window, LinkProcProperty, message, wParam, lParam);
}

void SelectLinkFont(HWND control, const wchar_t* property)
{
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetPropW(control, property)), FALSE);
    InvalidateRect(control, nullptr, TRUE);
}

}  // namespace

void RunAboutDialog(HWND owner, HICON icon, const char* ownPath)
{
    EnsureCommonControls();
    alignas(4) unsigned char block[AboutTemplateCapacity] = {};
    const DialogHeader header = {0x00080840, 0, 0, 0, 304, 324, AboutCaption, 8, "MS Sans Serif"};
    if (!BuildDialogTemplate(header, AboutControls, 3, block, sizeof block, WidenTemplateText)) return;
    AboutState start = {owner, icon, ownPath, {}, {}};
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(block), owner, AboutDlgProc,
                            reinterpret_cast<LPARAM>(&start));
}

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
        AboutState* start = reinterpret_cast<AboutState*>(lParam);
        if (start) SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(start->icon));
        if (start) {
            start->picture.Reset(LoadPictureResource(nullptr, AboutPictureResource));
            MakeHyperlink(dialog, AboutLinkId, start->linkUnderline);
        }
        SetVersionCaption(dialog, start ? start->ownPath : nullptr);
        return FALSE;
    }
    case WM_PAINT: PaintPicture(dialog, 24, 26, 400, 400); return FALSE;
    case WM_ERASEBKGND: return EraseWithTexture(dialog, reinterpret_cast<HDC>(wParam));
    case WM_CTLCOLORSTATIC: return reinterpret_cast<INT_PTR>(TextureBrushFor(reinterpret_cast<HDC>(wParam)));
    case WM_WINDOWPOSCHANGED: RedrawScreenUnder(dialog); return FALSE;
    case WM_COMMAND:
        if (wParam == AboutOkId)
            EndDialog(dialog, 0);
        else if (wParam == AboutLinkId) {
            if (const AboutState* state = StateOf(dialog)) OpenGuide(dialog, state->ownPath);
        }
        return FALSE;
    case WM_CLOSE: EndDialog(dialog, 0); return FALSE;
    default: return FALSE;
    }
}

BOOL MakeHyperlink(HWND dialog, int id, ScopedFont& underline)
{
    HWND control = GetDlgItem(dialog, id);
    if (!control) return FALSE;
    // A second call on the same link would keep HyperlinkProc as its own previous procedure.
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_WNDPROC)) == HyperlinkProc) return TRUE;

    // Several links in one dialog subclass it once.
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(dialog, GWLP_WNDPROC)) != HyperlinkParentProc)
        SubclassWindow(dialog, LinkProcProperty, HyperlinkParentProc);

    SetWindowLongPtrW(control, GWL_STYLE, GetWindowLongPtrW(control, GWL_STYLE) | SS_NOTIFY);
    SubclassWindow(control, LinkProcProperty, HyperlinkProc);

    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    SetPropW(control, LinkFontProperty, font);
    LOGFONTW description = {};
    if (GetObjectW(font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT), sizeof description, &description)) {
        description.lfUnderline = 1;
        underline.Reset(CreateFontIndirectW(&description));
        if (underline) SetPropW(control, LinkUnderlineProperty, underline.Get());
    }
    return TRUE;
}

LRESULT CALLBACK HyperlinkParentProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CTLCOLORSTATIC: {
        HWND control = reinterpret_cast<HWND>(lParam);
        if (!control || !GetPropA(control, LinkProcProperty)) break;
        // The dialog chooses background and brush as usual; the link only changes the text colour.
        const LRESULT result = PassOn(dialog, message, wParam, lParam);
        SetTextColor(reinterpret_cast<HDC>(wParam), LinkColor);
        return result;
    }
    case WM_DESTROY: {
        if (WNDPROC original = RemoveSubclass(dialog, LinkProcProperty))
            return CallWindowProcW(original, dialog, message, wParam, lParam);
        break;
    }
    default: break;
    }
    return PassOn(dialog, message, wParam, lParam);
}

LRESULT CALLBACK HyperlinkProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEMOVE:
        if (GetCapture() != control) {
            // The pointer has just come onto the link: hold the capture to see it leave.
            SelectLinkFont(control, LinkUnderlineProperty);
            SetCapture(control);
        } else {
            POINT pointer = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ClientToScreen(control, &pointer);
            RECT area;
            GetWindowRect(control, &area);
            if (!PtInRect(&area, pointer)) {
                SelectLinkFont(control, LinkFontProperty);
                ReleaseCapture();
            }
        }
        break;
    case WM_SETCURSOR: {
        HCURSOR hand = LoadCursorW(nullptr, MAKEINTRESOURCEW(32649));            // IDC_HAND
        SetCursor(hand ? hand : LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));  // IDC_ARROW
        return TRUE;
    }
    case WM_DESTROY: {
        WNDPROC original = RemoveSubclass(control, LinkProcProperty);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetPropW(control, LinkFontProperty)), FALSE);
        RemovePropW(control, LinkFontProperty);
        RemovePropW(control, LinkUnderlineProperty);  // the font is its owner's to free
        return original ? CallWindowProcW(original, control, message, wParam, lParam)
                        : DefWindowProcW(control, message, wParam, lParam);
    }
    default: break;
    }
    return PassOn(control, message, wParam, lParam);
}

HBITMAP LoadPictureResource(HMODULE, int id)
{
    // Always the program's own module: the picture belongs to the executable.
    HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(id), L"IMAGE");
    const DWORD size = resource ? SizeofResource(nullptr, resource) : 0;
    HGLOBAL loaded = size ? LoadResource(nullptr, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return PictureDataToBitmap(bytes, size);
}

HBITMAP PictureDataToBitmap(const void* data, DWORD size)
{
    if (!data || size == 0) return nullptr;
    auto initialize = SystemFunction<decltype(&CoInitialize)>("ole32.dll", "CoInitialize");
    auto uninitialize = SystemFunction<decltype(&CoUninitialize)>("ole32.dll", "CoUninitialize");
    auto streamOn = SystemFunction<decltype(&CreateStreamOnHGlobal)>("ole32.dll", "CreateStreamOnHGlobal");
    auto loadPicture = SystemFunction<decltype(&OleLoadPicture)>("oleaut32.dll", "OleLoadPicture");
    if (!initialize || !uninitialize || !streamOn || !loadPicture) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    const HRESULT com = initialize(nullptr);
    HBITMAP bitmap = nullptr;
    {
        // The COM objects go before COM is left.
        ScopedGlobal copy(GlobalAlloc(GMEM_MOVEABLE, size));
        void* bytes = copy ? GlobalLock(copy.Get()) : nullptr;
        if (bytes) {
            CopyBytes(data, bytes, size);
            GlobalUnlock(copy.Get());
            IStream* made = nullptr;
            // The stream owns the copy from here on: releasing it frees the copy, once.
            if (SUCCEEDED(streamOn(copy.Get(), TRUE, &made)) && made) {
                copy.Detach();
                ScopedCom<IStream> stream(made);
                IPicture* loaded = nullptr;
                if (SUCCEEDED(loadPicture(stream.Get(), 0, TRUE, IID_IPicture, reinterpret_cast<void**>(&loaded))) &&
                    loaded) {
                    ScopedCom<IPicture> picture(loaded);
                    bitmap = RenderPictureToBitmap(picture.Get());
                }
            }
        }
    }
    if (SUCCEEDED(com)) uninitialize();
    return bitmap;
}

HBITMAP RenderPictureToBitmap(IPicture* picture)
{
    if (!picture) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    ScopedWindowDC screen(nullptr);
    if (!screen) return nullptr;
    ScopedMemoryDC memory(CreateCompatibleDC(screen.Get()));
    if (!memory) return nullptr;
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture->get_Width(&width);
    picture->get_Height(&height);
    // HIMETRIC is 0.01 mm: 2540 to the inch.
    const int pixelsWide = MulDiv(width, GetDeviceCaps(screen.Get(), LOGPIXELSX), 2540);
    const int pixelsHigh = MulDiv(height, GetDeviceCaps(screen.Get(), LOGPIXELSY), 2540);
    ScopedBitmap bitmap(pixelsWide > 0 && pixelsHigh > 0 ? CreateCompatibleBitmap(screen.Get(), pixelsWide, pixelsHigh)
                                                         : nullptr);
    HRESULT drawn = E_FAIL;
    {
        ScopedSelect selected(memory.Get(), bitmap.Get());
        if (!selected) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        // HIMETRIC runs bottom-up: start at the picture's height and go up by it.
        drawn = picture->Render(memory.Get(), 0, 0, pixelsWide, pixelsHigh, 0, height, width, -height, nullptr);
    }
    if (FAILED(drawn)) {
        SetLastError(static_cast<DWORD>(drawn));
        return nullptr;
    }
    return bitmap.Detach();
}

HBITMAP AboutPictureOf(HWND box)
{
    const AboutState* state = box ? StateOf(box) : nullptr;
    return state ? state->picture.Get() : nullptr;
}

void PaintPicture(HWND window, int x, int y, int width, int height)
{
    ScopedPaint paint(window);
    if (!paint) return;
    // Without a picture the area keeps the texture.
    const AboutState* state = StateOf(window);
    if (!state || !state->picture) return;
    ScopedMemoryDC memory(CreateCompatibleDC(paint.Get()));
    if (!memory) return;
    ScopedSelect selected(memory.Get(), state->picture.Get());
    BitBlt(paint.Get(), x, y, width, height, memory.Get(), 0, 0, SRCCOPY);
}
