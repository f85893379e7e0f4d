// The preset store: the user's named presets, optionally grouped in banks, kept in one INI
// file beside the plug-in library. Reads, sorts, writes, imports and exports that file and
// keeps the backup list with which the Preset Manager cancels its edits. Owned by the editor
// page for the lifetime of its window, and by the command-line renderer. Runs on the thread of
// its owner (the page's window thread); takes no locks.
//
// The file: section "Plug-in" holds "PluginName", "CLSID" (the identity: the registry key path
// of the filter's class) and "DefaultPreset"; sections "Preset1", "Preset2", ... (numbered
// without gaps) hold "Version", "Name", "Bank" and "Data" (the data line, PresetData.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "engine/Identifiers.h"
#include "platform/Platform.h"
#include "presets/PresetArray.h"

inline constexpr char kPresetFileName[] = "qvDavezoDU.ini";
inline constexpr char kPresetPluginName[] = "qv:Reverb";

// Sent to the page window: wParam is the address of a record's data pointer (char**); the page
// stores there a new kDataLineSize string from new[] holding the current data line.
constexpr UINT WM_GETPRESETDATA = 10900;

// Run-time ids start above this; menus reserve the range from here up for preset commands.
constexpr std::uint32_t kPresetIdBase = 3500;

constexpr std::size_t kPresetPathSize = 260;

// How the store shows a message box: owner, text, caption (always the store's title) and the
// MB_ flags of MessageBoxA; returns IDOK, IDYES, IDNO or IDCANCEL as MessageBoxA does.
using PresetMessageHandler =
    std::function<int(HWND owner, const char* text, const char* caption, UINT type)>;

// What a load found. The editor page need not look at it; a program that saves afterwards uses
// it so as not to write its presets over another plug-in's file.
enum class PresetLoadResult {
    kNoPath,           // no usable file path: nothing is read and nothing will be written
    kNoIdentity,       // no "Plug-in" "CLSID" (also: no such file yet): nothing loaded
    kForeignIdentity,  // another identity: nothing loaded, the message was shown
    kLoaded,           // presets read (possibly none) and sorted
};

// What Export writes: the whole list, the presets of one bank, or one preset.
struct PresetSelection {
    enum Kind { kAll, kBank, kPreset };
    Kind kind = kAll;
    const char* bank = nullptr;  // kBank: the bank name (compared without regard to case)
    std::uint32_t id = 0;        // kPreset: the preset's id

    static PresetSelection All() { return {}; }
    static PresetSelection Bank(const char* name) { return {kBank, name, 0}; }
    static PresetSelection Preset(std::uint32_t presetId) { return {kPreset, nullptr, presetId}; }
};

class CPresetList {
public:
    // Both lists start empty and the current preset id at -1. Without a plug-in name (null or
    // empty) the title is "Brasswing Halvern:qv Preset Manager", else the name followed by
    // " Preset Manager". module and pageWindow are not owned.
    CPresetList(HINSTANCE module, HWND pageWindow, const char* pluginName);
    ~CPresetList();
    CPresetList(const CPresetList&) = delete;
    CPresetList& operator=(const CPresetList&) = delete;

    // Message boxes go to handler; an empty handler restores MessageBoxA.
    void SetMessageHandler(PresetMessageHandler handler);
    // A message box with the store's title as caption, through the handler.
    int ShowMessage(HWND owner, const char* text, UINT type);

    // Stores classKeyPath, finds fileName in the plug-in library's folder (PresetLocation.h),
    // then loads it as LoadFile does. Without a folder the store has no file path: nothing is
    // loaded and nothing will be written.
    PresetLoadResult Load(const char* classKeyPath, const char* fileName);
    // Stores classKeyPath and filePath (an explicit path; a path that does not fit leaves the
    // store without one), then: the live list is emptied; a file without the "Plug-in" "CLSID"
    // key loads nothing, silently; one with another identity loads nothing and says so in a
    // message box without owner; otherwise ReadPresets, then SortPresets.
    PresetLoadResult LoadFile(const char* classKeyPath, const char* filePath);
    void SetAlternativeKey(const char* keyPath);

    // Appends the presets of sections "Preset1", "Preset2", ... of filePath up to the first
    // section that lacks one of the four keys or holds the literal "KEY_NOT_FOUND" in one; each
    // gets the next id. With importing set, a preset equal in name, bank and data line to one
    // already listed is appended only if the user answers Yes to the duplicate question (owned
    // by the manager window). Does not sort. Returns the number of presets appended.
    int ReadPresets(const char* filePath, bool importing);
    // Banks in alphabetical order, then the presets in no bank; by name within each group;
    // case-insensitive; equal pairs keep their order.
    void SortPresets();
    // Removes sections "Preset1", "Preset2", ... up to the first without "Version", writes the
    // "Plug-in" section with classKeyPath, then every preset in list order. False when the path
    // is empty (nothing is written) or a write failed.
    bool SaveAll(const char* classKeyPath, const char* filePath);
    // SaveAll to the store's own file with its own class key path.
    bool Save() { return SaveAll(classKeyPath_, filePath_); }
    // Section "Preset<sectionNumber>": "Version", "Name", "Bank" (also when empty), "Data".
    bool WritePreset(int sectionNumber, const PresetRecord& record, const char* filePath);
    // The whole list as SaveAll; a bank or a preset as "Plug-in" ("PluginName", "CLSID") and
    // the chosen presets from "Preset1" on, without removing anything first. False when the
    // path is empty, the preset does not exist, or a write failed.
    bool Export(const char* classKeyPath, const char* filePath, const PresetSelection& selection);
    // Checks the file's identity against the class key path and the alternative one (with a
    // message box owned by the manager window when it does not match), then ReadPresets with
    // duplicate questions. False when the path or the store's class key path is empty or the
    // identity does not match. Does not sort or save.
    bool Import(const char* filePath);

    // A new version-3 preset with a copy of dataLine, appended with the next id; it becomes the
    // current preset and the modified flag is set. Returns its id, or 0 when an allocation
    // fails. Does not sort or save.
    std::uint32_t AddPreset(const char* name, const char* bank, const char* dataLine);
    // Replaces a preset's data line by a copy of dataLine and makes it version 3.
    bool UpdatePreset(std::uint32_t id, const char* dataLine);
    // Removes and frees a preset; false when there is none with that id.
    bool RemovePreset(std::uint32_t id);

    // The backup of the Preset Manager: BackUp frees the backup list's records, copies every
    // live record into it and exchanges the two lists, so that edits work on the copies; false
    // (backup left empty, live list unchanged) when a copy cannot be allocated. RestoreBackup
    // exchanges them again, bringing back the records as they were.
    bool BackUp();
    void RestoreBackup();

    PresetRecord* FindById(std::uint32_t id) const;
    const char* FindNameById(std::uint32_t id) const;
    // The first preset, in list order, with that name (case-insensitive) in that bank; with a
    // null bank, in any bank.
    PresetRecord* FindByName(const char* name, const char* bank) const;
    // The id of the preset at a list position, or -1.
    int IdAt(int index) const;
    // The largest id in the live list, or kPresetIdBase when that is larger.
    std::uint32_t NextId() const;
    int Count() const { return static_cast<int>(live_.Count()); }
    PresetRecord* At(int index) const { return live_.GetAt(index); }
    const PresetArray& LiveList() const { return live_; }
    const PresetArray& BackupList() const { return backup_; }

    // A preset id makes that preset current and returns its data line and version; anything
    // else returns null and changes nothing.
    const char* SelectPreset(std::uint32_t command, int* version);
    int GetCurrentId() const { return currentId_; }
    // Runs the Preset Manager dialog modally, owned by the page window (PresetManager.cpp; on
    // Windows only). Returns the id of a preset the user double-clicked, else 0; 0 at once
    // while a manager is open.
    int OpenManager();
    void SetCurrentId(int id) { currentId_ = id; }

    // Replaces every character that a file name cannot hold (space, * ? < > : \ " / | tab,
    // CR, LF) by "_".
    static void CleanFileName(char* text);

    const char* FilePath() const { return filePath_; }
    const char* PluginName() const { return pluginName_; }
    const char* ClassKeyPath() const { return classKeyPath_; }
    const char* AlternativeKeyPath() const { return alternativeKeyPath_; }
    const char* Title() const { return title_; }
    HINSTANCE Module() const { return module_; }
    HWND PageWindow() const { return pageWindow_; }
    HWND ManagerWindow() const { return managerWindow_; }
    void SetManagerWindow(HWND window) { managerWindow_ = window; }
    HWND TreeWindow() const { return treeWindow_; }
    void SetTreeWindow(HWND window) { treeWindow_ = window; }
    bool Modified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }
    int OpenDialogCount() const { return openDialogCount_; }
    void CountOpenDialog() { ++openDialogCount_; }
    int SaveDialogCount() const { return saveDialogCount_; }
    void CountSaveDialog() { ++saveDialogCount_; }

private:
    bool WritePluginSection(const char* classKeyPath, const char* filePath, bool withDefault);
    int Index(std::uint32_t id) const;

    PresetArray live_;
    PresetArray backup_;
    char filePath_[kPresetPathSize] = {};
    char pluginName_[kPresetTextSize] = {};
    char classKeyPath_[kPresetTextSize] = {};
    char alternativeKeyPath_[kPresetTextSize] = {};
    char title_[256] = {};
    HWND managerWindow_ = nullptr;  // not owned: the Preset Manager while it is open
    HWND pageWindow_ = nullptr;     // not owned
    HWND treeWindow_ = nullptr;     // not owned: the manager's tree while it is open
    HINSTANCE module_ = nullptr;    // not owned
    int currentId_ = -1;
    bool modified_ = false;
    int openDialogCount_ = 0;
    int saveDialogCount_ = 0;
    PresetMessageHandler messageHandler_;
};
