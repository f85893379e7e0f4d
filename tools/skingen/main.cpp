// skingen: makes the editor's skin (page background, bitmaps, raw images, icons and cursors) into a
// folder, deterministically. The files in resources/skin/ were made with
//     skingen resources/skin
// (or the build target "skin"); run it again after changing the generator and commit the output.
#include <cstdio>
#include <string>

#include "tools/skingen/SkinPanel.h"
#include "tools/skingen/SkinParts.h"
#include "tools/skingen/SkinWriters.h"
#include "ui/page/PageLayout.h"

namespace {

bool Write(const std::string& folder, const char* name, const Bytes& bytes) {
    const std::string path = folder + "/" + name;
    if (WriteFile(path, bytes)) return true;
    std::fprintf(stderr, "skingen: cannot write %s\n", path.c_str());
    return false;
}

Bytes Raw(const SkinPicture& picture) {
    return picture.RawBytes();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: skingen OUTPUT-FOLDER\n");
        return 2;
    }
    const std::string out = argv[1];
    bool ok = true;
    ok &= Write(out, "Background.bmp", Bitmap24(PageBackground()));
    ok &= Write(out, "RevTimeShade.bmp", Bitmap8Rle(ShadeMask(148, 84)));
    ok &= Write(out, "FreqShade.bmp", Bitmap8Rle(ShadeMask(148, 38)));
    ok &= Write(out, "ClipDark.bmp", Bitmap24(ClipLamp(0)));
    ok &= Write(out, "ClipRed.bmp", Bitmap24(ClipLamp(1)));
    ok &= Write(out, "ClipBright.bmp", Bitmap24(ClipLamp(2)));
    ok &= Write(out, "Marker.bmp", Bitmap4(7, 11, {0xFF00FF, 0x404040}, MarkerIndices()));

    ok &= Write(out, "FieldFace.raw", Raw(FieldFace()));
    ok &= Write(out, "MeterLit.raw", Raw(MeterBar(true)));
    ok &= Write(out, "MeterUnlit.raw", Raw(MeterBar(false)));
    ok &= Write(out, "SliderThumb.raw", Raw(SliderThumb()));
    struct Face {
        const char* normal;
        const char* pressed;
        int width;
    };
    const Face faces[] = {
        {"BypassNormal.raw", "BypassPressed.raw", 50}, {"WideNormal.raw", "WidePressed.raw", 76},
        {"SetupNormal.raw", "SetupPressed.raw", 61},   {"CopyNormal.raw", "CopyPressed.raw", 15},
        {"HelpNormal.raw", "HelpPressed.raw", 24},     {"SmallNormal.raw", "SmallPressed.raw", 36},
    };
    for (const Face& f : faces) {
        ok &= Write(out, f.normal, Raw(ButtonFace(f.width, 21, false)));
        ok &= Write(out, f.pressed, Raw(ButtonFace(f.width, 21, true)));
    }

    ok &= Write(out, "Library.ico", IconFile(TreeIconPicture(TreeIcon::kLibrary)));
    ok &= Write(out, "Preset.ico", IconFile(TreeIconPicture(TreeIcon::kPreset)));
    ok &= Write(out, "Bank.ico", IconFile(TreeIconPicture(TreeIcon::kBank)));
    ok &= Write(out, "OpenBank.ico", IconFile(TreeIconPicture(TreeIcon::kOpenBank)));

    ok &= Write(out, "OpenHand.cur", CursorFile(CursorShape::kOpenHand));
    ok &= Write(out, "ClosedHand.cur", CursorFile(CursorShape::kClosedHand));
    ok &= Write(out, "LeftRight.cur", CursorFile(CursorShape::kLeftRight));
    ok &= Write(out, "UpDown.cur", CursorFile(CursorShape::kUpDown));
    return ok ? 0 : 1;
}
