// The system's own identifiers, each spelled once: the two COM classes (the filter and its editor
// page), the interfaces of our own, and the registry key paths that name the filter's class in
// preset files. Every identifier is written as its registry text; the GUID is made from that
// text at compile time, so the two can never disagree.
#pragma once

#include "platform/Platform.h"

namespace identifiers_detail {

constexpr unsigned HexValue(char c) {
    return c >= '0' && c <= '9'   ? static_cast<unsigned>(c - '0')
           : c >= 'A' && c <= 'F' ? static_cast<unsigned>(c - 'A' + 10)
           : c >= 'a' && c <= 'f' ? static_cast<unsigned>(c - 'a' + 10)
                                  : throw "not a hexadecimal digit";
}

constexpr unsigned long Hex(const char* text, int first, int count) {
    unsigned long value = 0;
    for (int i = first; i < first + count; ++i) value = value * 16 + HexValue(text[i]);
    return value;
}

}  // namespace identifiers_detail

// A GUID from its registry text "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
constexpr GUID GuidFromText(const char (&text)[39]) {
    using identifiers_detail::Hex;
    if (text[0] != '{' || text[9] != '-' || text[14] != '-' || text[19] != '-' || text[24] != '-' ||
        text[37] != '}') {
        throw "not a GUID's registry text";
    }
    GUID guid = {};
    guid.Data1 = static_cast<decltype(guid.Data1)>(Hex(text, 1, 8));
    guid.Data2 = static_cast<decltype(guid.Data2)>(Hex(text, 10, 4));
    guid.Data3 = static_cast<decltype(guid.Data3)>(Hex(text, 15, 4));
    for (int i = 0; i < 8; ++i) {
        const int at = i < 2 ? 20 + 2 * i : 25 + 2 * (i - 2);
        guid.Data4[i] = static_cast<unsigned char>(Hex(text, at, 2));
    }
    return guid;
}

// The filter's class identifier as text; a macro so that the registry key path below can be
// joined to it as one literal.
#define QV_FILTER_CLSID_TEXT "{6B1E2F40-3C7A-4D95-9E21-7A5C0D84B3F1}"

inline constexpr CLSID CLSID_HqPlugIn = GuidFromText(QV_FILTER_CLSID_TEXT);
inline constexpr CLSID CLSID_HqPlugInPropPage =
    GuidFromText("{9D4C7A12-58E3-4B06-A1F7-2E8B6C03D5A9}");

inline constexpr IID IID_IHqPlugInProp = GuidFromText("{5A7D2C91-4E3B-4F80-9C16-D2E84B07A3C5}");
inline constexpr IID IID_IStaticFilterPreset =
    GuidFromText("{8E41B6A3-27D5-4C9F-B0E8-63F1A92D4C07}");
inline constexpr IID IID_IMediaParamsSetUICallback =
    GuidFromText("{2C6F0A57-91B4-4D3E-A85C-7E09D1F3B624}");
inline constexpr IID IID_IMediaParamsUICallback =
    GuidFromText("{D13B7E48-6A05-4F92-8C71-05E2B9A4F8D3}");

// The identity of this filter's preset files (the registry key path of its class), and of files
// that may be imported but are not loaded at start.
inline constexpr char kFilterClsidText[] = QV_FILTER_CLSID_TEXT;
inline constexpr char kFilterClassKeyPath[] = "SOFTWARE\\Classes\\CLSID\\" QV_FILTER_CLSID_TEXT;
inline constexpr char kAlternativeClassKeyPath[] =
    "SOFTWARE\\Classes\\CLSID\\{3F8B5D21-7C14-4E6A-B2D9-51A0E7C48B36}";
