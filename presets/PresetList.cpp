// The preset store: loading with the identity check, reading, sorting, saving, importing and
// exporting preset files through the platform's INI profile functions.
#include "presets/PresetList.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include "platform/PresetLocation.h"

namespace {

constexpr char kPluginSection[] = "Plug-in";
constexpr char kKeyNotFound[] = "KEY_NOT_FOUND";
constexpr char kUnnamedTitle[] = "Brasswing Halvern:qv Preset Manager";

// Read buffers, NUL included.
constexpr DWORD kIdentitySize = 100;
constexpr DWORD kVersionSize = 16;
constexpr DWORD kDataSize = 4096;

constexpr char kForeignFileText[] =
    "No presets could be loaded because the preset file\n\"%s\"\ndoes not contain preset data "
    "compatible with this plug-in.";
constexpr char kDuplicateText[] =
    "The preset \"%s\" you are importing already exists in the %s preset list.\nDo you want "
    "to add it anyway?";
constexpr char kNoPresetDataText[] =
    "The file you selected does not contain Brasswing Halvern:qv plug-in preset data.";
constexpr char kOtherPluginText[] =
    "The preset file you are trying to import does not contain data for this plug-in.";

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

int CompareNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        const unsigned char x = static_cast<unsigned char>(LowerAscii(*a));
        const unsigned char y = static_cast<unsigned char>(LowerAscii(*b));
        if (x != y) return x < y ? -1 : 1;
        if (x == 0) return 0;
    }
}

bool EqualNoCase(const char* a, const char* b) {
    return CompareNoCase(a, b) == 0;
}

// The sort's text order: an empty text is greater than any other; otherwise case-insensitive.
int CompareForSort(const char* a, const char* b) {
    if (a[0] == '\0' || b[0] == '\0') return (a[0] == '\0') - (b[0] == '\0');
    return CompareNoCase(a, b);
}

bool GreaterForSort(const PresetRecord& a, const PresetRecord& b) {
    const int banks = CompareForSort(a.bank, b.bank);
    if (banks != 0) return banks > 0;
    return CompareForSort(a.name, b.name) > 0;
}

// Copies text into a fixed field, cut to fit; a null text gives the empty string.
template <std::size_t N>
void CopyText(char (&field)[N], const char* text) {
    std::snprintf(field, N, "%s", text != nullptr ? text : "");
}

// The leading decimal integer of a text (blanks and a sign allowed), 0 if there is none.
std::int32_t LeadingInteger(const char* text) {
    while (*text == ' ' || *text == '\t') ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    std::int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (value < INT32_MAX) value = value * 10 + (*text - '0');
    }
    if (value > INT32_MAX) value = INT32_MAX;
    return static_cast<std::int32_t>(negative ? -value : value);
}

void SectionName(char (&section)[32], int number) {
    std::snprintf(section, sizeof section, "Preset%d", number);
}

bool HasPath(const char* path) {
    return path != nullptr && path[0] != '\0';
}

}  // namespace

CPresetList::CPresetList(HINSTANCE module, HWND pageWindow, const char* pluginName)
    : pageWindow_(pageWindow), module_(module) {
    if (pluginName != nullptr && pluginName[0] != '\0') {
        CopyText(pluginName_, pluginName);
        std::snprintf(title_, sizeof title_, "%s Preset Manager", pluginName_);
    } else {
        CopyText(title_, kUnnamedTitle);
    }
}

CPresetList::~CPresetList() = default;

void CPresetList::SetMessageHandler(PresetMessageHandler handler) {
    messageHandler_ = std::move(handler);
}

int CPresetList::ShowMessage(HWND owner, const char* text, UINT type) {
    if (messageHandler_) return messageHandler_(owner, text, title_, type);
    return MessageBoxA(owner, text, title_, type);
}

PresetLoadResult CPresetList::Load(const char* classKeyPath, const char* fileName) {
    char path[kPresetPathSize];
    if (!ResolvePresetFilePath(classKeyPath, fileName, path, sizeof path)) path[0] = '\0';
    return LoadFile(classKeyPath, path);
}

PresetLoadResult CPresetList::LoadFile(const char* classKeyPath, const char* filePath) {
    CopyText(classKeyPath_, classKeyPath);
    filePath_[0] = '\0';
    if (filePath != nullptr && std::strlen(filePath) < sizeof filePath_) {
        CopyText(filePath_, filePath);
    }
    live_.Clear();
    if (!HasPath(filePath_)) return PresetLoadResult::kNoPath;

    char identity[kIdentitySize];
    GetPrivateProfileStringA(kPluginSection, "CLSID", "", identity, kIdentitySize, filePath_);
    if (identity[0] == '\0') return PresetLoadResult::kNoIdentity;
    if (!EqualNoCase(identity, classKeyPath_)) {
        char text[512];
        std::snprintf(text, sizeof text, kForeignFileText, filePath_);
        ShowMessage(nullptr, text, MB_OK | MB_ICONERROR);
        return PresetLoadResult::kForeignIdentity;
    }
    ReadPresets(filePath_, false);
    SortPresets();
    return PresetLoadResult::kLoaded;
}

void CPresetList::SetAlternativeKey(const char* keyPath) {
    CopyText(alternativeKeyPath_, keyPath);
}

int CPresetList::ReadPresets(const char* filePath, bool importing) {
    if (!HasPath(filePath)) return 0;
    // The data line's read buffer is large; keep it off the window thread's stack.
    std::unique_ptr<char[]> data(new (std::nothrow) char[kDataSize]);
    if (!data) return 0;

    int appended = 0;
    for (int number = 1; number < INT32_MAX; ++number) {
        char section[32];
        SectionName(section, number);
        char version[kVersionSize];
        char name[kPresetTextSize];
        char bank[kPresetTextSize];
        // Each key is checked as soon as it is read: the first one missing ends the list.
        auto missing = [&](const char* key, char* value, DWORD size) {
            GetPrivateProfileStringA(section, key, kKeyNotFound, value, size, filePath);
            return std::strcmp(value, kKeyNotFound) == 0;
        };
        if (missing("Version", version, kVersionSize) || missing("Name", name, kPresetTextSize) ||
            missing("Bank", bank, kPresetTextSize) || missing("Data", data.get(), kDataSize)) {
            break;
        }

        std::unique_ptr<PresetRecord> record(new (std::nothrow) PresetRecord);
        if (!record) break;
        record->version = LeadingInteger(version);
        CopyText(record->name, name);
        CopyText(record->bank, bank);
        if (!record->CopyData(data.get())) continue;
        record->id = NextId() + 1;

        if (importing) {
            bool duplicate = false;
            for (std::uint32_t i = 0; i < live_.Count() && !duplicate; ++i) {
                const PresetRecord* other = live_.GetAt(static_cast<int>(i));
                duplicate = other != nullptr && EqualNoCase(other->name, record->name) &&
                            EqualNoCase(other->bank, record->bank) &&
                            EqualNoCase(other->data != nullptr ? other->data : "", record->data);
            }
            if (duplicate) {
                char text[512];
                std::snprintf(text, sizeof text, kDuplicateText, record->name, pluginName_);
                if (ShowMessage(managerWindow_, text, MB_YESNO | MB_ICONQUESTION) != IDYES) {
                    continue;
                }
            }
        }
        if (live_.Append(std::move(record)) == 0) break;
        ++appended;
    }
    return appended;
}

void CPresetList::SortPresets() {
    const int count = static_cast<int>(live_.Count());
    for (bool exchanged = true; exchanged;) {
        exchanged = false;
        for (int i = 0; i + 1 < count; ++i) {
            if (GreaterForSort(*live_.GetAt(i), *live_.GetAt(i + 1))) {
                live_.Swap(i, i + 1);
                exchanged = true;
            }
        }
    }
}

bool CPresetList::WritePluginSection(const char* classKeyPath, const char* filePath,
                                     bool withDefault) {
    bool ok = WritePrivateProfileStringA(kPluginSection, "PluginName", pluginName_, filePath);
    ok = WritePrivateProfileStringA(kPluginSection, "CLSID",
                                    classKeyPath != nullptr ? classKeyPath : "", filePath) &&
         ok;
    if (withDefault) {
        ok = WritePrivateProfileStringA(kPluginSection, "DefaultPreset", "1", filePath) && ok;
    }
    return ok;
}

bool CPresetList::SaveAll(const char* classKeyPath, const char* filePath) {
    if (!HasPath(filePath)) return false;
    bool ok = true;
    for (int number = 1; number < INT32_MAX; ++number) {
        char section[32];
        SectionName(section, number);
        char version[kVersionSize];
        GetPrivateProfileStringA(section, "Version", kKeyNotFound, version, kVersionSize, filePath);
        if (std::strcmp(version, kKeyNotFound) == 0) break;
        ok = WritePrivateProfileStringA(section, nullptr, nullptr, filePath) && ok;
    }
    ok = WritePluginSection(classKeyPath, filePath, true) && ok;
    for (std::uint32_t i = 0; i < live_.Count(); ++i) {
        ok =
            WritePreset(static_cast<int>(i) + 1, *live_.GetAt(static_cast<int>(i)), filePath) && ok;
    }
    return ok;
}

bool CPresetList::WritePreset(int sectionNumber, const PresetRecord& record, const char* filePath) {
    if (!HasPath(filePath)) return false;
    char section[32];
    SectionName(section, sectionNumber);
    char version[16];
    std::snprintf(version, sizeof version, "%d", static_cast<int>(record.version));
    bool ok = WritePrivateProfileStringA(section, "Version", version, filePath);
    ok = WritePrivateProfileStringA(section, "Name", record.name, filePath) && ok;
    ok = WritePrivateProfileStringA(section, "Bank", record.bank, filePath) && ok;
    ok = WritePrivateProfileStringA(section, "Data", record.data != nullptr ? record.data : "",
                                    filePath) &&
         ok;
    return ok;
}

bool CPresetList::Export(const char* classKeyPath, const char* filePath,
                         const PresetSelection& selection) {
    if (!HasPath(filePath)) return false;
    if (selection.kind == PresetSelection::kAll) return SaveAll(classKeyPath, filePath);

    if (selection.kind == PresetSelection::kPreset) {
        const PresetRecord* record = FindById(selection.id);
        if (record == nullptr) return false;
        bool ok = WritePluginSection(classKeyPath, filePath, false);
        return WritePreset(1, *record, filePath) && ok;
    }
    const char* bank = selection.bank != nullptr ? selection.bank : "";
    bool ok = WritePluginSection(classKeyPath, filePath, false);
    int number = 0;
    for (std::uint32_t i = 0; i < live_.Count(); ++i) {
        const PresetRecord& record = *live_.GetAt(static_cast<int>(i));
        if (EqualNoCase(record.bank, bank)) ok = WritePreset(++number, record, filePath) && ok;
    }
    return ok;
}

bool CPresetList::Import(const char* filePath) {
    if (!HasPath(filePath) || classKeyPath_[0] == '\0') return false;
    char identity[kIdentitySize];
    GetPrivateProfileStringA(kPluginSection, "CLSID", "", identity, kIdentitySize, filePath);
    if (identity[0] == '\0') {
        ShowMessage(managerWindow_, kNoPresetDataText, MB_OK | MB_ICONERROR);
        return false;
    }
    if (!EqualNoCase(identity, classKeyPath_) &&
        (alternativeKeyPath_[0] == '\0' || !EqualNoCase(identity, alternativeKeyPath_))) {
        ShowMessage(managerWindow_, kOtherPluginText, MB_OK | MB_ICONERROR);
        return false;
    }
    ReadPresets(filePath, true);
    return true;
}

std::uint32_t CPresetList::AddPreset(const char* name, const char* bank, const char* dataLine) {
    std::unique_ptr<PresetRecord> record(new (std::nothrow) PresetRecord);
    if (!record || !record->CopyData(dataLine != nullptr ? dataLine : "")) return 0;
    record->version = 3;
    CopyText(record->name, name);
    CopyText(record->bank, bank);
    record->id = NextId() + 1;
    const std::uint32_t id = record->id;
    if (live_.Append(std::move(record)) == 0) return 0;
    currentId_ = static_cast<int>(id);
    modified_ = true;
    return id;
}

bool CPresetList::UpdatePreset(std::uint32_t id, const char* dataLine) {
    PresetRecord* record = FindById(id);
    if (record == nullptr || !record->CopyData(dataLine != nullptr ? dataLine : "")) return false;
    record->version = 3;
    return true;
}

bool CPresetList::RemovePreset(std::uint32_t id) {
    const int index = Index(id);
    if (index < 0) return false;
    live_.RemoveAt(index);
    return true;
}

bool CPresetList::BackUp() {
    backup_.Clear();
    for (std::uint32_t i = 0; i < live_.Count(); ++i) {
        std::unique_ptr<PresetRecord> copy = live_.GetAt(static_cast<int>(i))->Clone();
        if (!copy || backup_.Append(std::move(copy)) == 0) {
            backup_.Clear();
            return false;
        }
    }
    live_.SwapContents(backup_);
    return true;
}

void CPresetList::RestoreBackup() {
    live_.SwapContents(backup_);
}

int CPresetList::Index(std::uint32_t id) const {
    for (std::uint32_t i = 0; i < live_.Count(); ++i) {
        if (live_.GetAt(static_cast<int>(i))->id == id) return static_cast<int>(i);
    }
    return -1;
}

PresetRecord* CPresetList::FindById(std::uint32_t id) const {
    return live_.GetAt(Index(id));
}

const char* CPresetList::FindNameById(std::uint32_t id) const {
    const PresetRecord* record = FindById(id);
    return record != nullptr ? record->name : nullptr;
}

PresetRecord* CPresetList::FindByName(const char* name, const char* bank) const {
    if (name == nullptr) return nullptr;
    for (std::uint32_t i = 0; i < live_.Count(); ++i) {
        PresetRecord* record = live_.GetAt(static_cast<int>(i));
        if (EqualNoCase(record->name, name) &&
            (bank == nullptr || EqualNoCase(record->bank, bank))) {
            return record;
        }
    }
    return nullptr;
}

int CPresetList::IdAt(int index) const {
    const PresetRecord* record = live_.GetAt(index);
    return record != nullptr ? static_cast<int>(record->id) : -1;
}

std::uint32_t CPresetList::NextId() const {
    std::uint32_t largest = kPresetIdBase;
    for (std::uint32_t i = 0; i < live_.Count(); ++i) {
        const std::uint32_t id = live_.GetAt(static_cast<int>(i))->id;
        if (id > largest) largest = id;
    }
    return largest;
}

const char* CPresetList::SelectPreset(std::uint32_t command, int* version) {
    PresetRecord* record = FindById(command);
    if (record == nullptr) return nullptr;
    currentId_ = static_cast<int>(record->id);
    if (version != nullptr) *version = record->version;
    return record->data;
}

void CPresetList::CleanFileName(char* text) {
    if (text == nullptr) return;
    for (; *text != '\0'; ++text) {
        if (std::strchr(" *?<>:\\\"/|\t\r\n", *text) != nullptr) *text = '_';
    }
}
