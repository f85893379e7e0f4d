// Helpers of the preset tests: a scratch folder of files that lives as long as the test, the
// INI read as a string, and a message handler that records every message box and answers it.
#pragma once

#include <string>
#include <vector>

#include "platform/Platform.h"
#include "presets/PresetList.h"

// A new empty folder under the system's temporary folder, removed with everything in it.
// Every file name handed out is new, so the platform's profile cache never sees a file change
// behind its back.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // A full path in the folder that no file has had yet (the stem is kept readable).
    std::string NewPath(const std::string& stem = "presets");
    // A full path of that name in the folder.
    std::string PathOf(const std::string& name) const;
    // A new file holding exactly these bytes; returns its full path.
    std::string NewFile(const std::string& bytes, const std::string& stem = "presets");
    const std::string& Folder() const { return folder_; }

private:
    std::string folder_;
    int counter_ = 0;
};

// The full path of a file beside the running test program (where the build copies the factory
// bank); one implementation per platform.
std::string BesideTestProgram(const char* name);

bool FileExists(const std::string& path);
std::string ReadBytes(const std::string& path);
// Whether the INI functions under test are Wine's (they differ from Windows' in one case).
bool RunningUnderWine();

// GetPrivateProfileStringA into a buffer of `size` bytes, as a string.
std::string Profile(const std::string& path, const char* section, const char* key,
                    DWORD size = 4096, const char* defaultValue = "<absent>");

// A preset section in the file's own syntax.
std::string PresetSection(int number, const std::string& version, const std::string& name,
                          const std::string& bank, const std::string& data);
std::string PluginSection(const char* identity = kFilterClassKeyPath);

struct RecordedMessage {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};

// Records the store's message boxes; yes/no questions get the queued answers in turn (No once
// the queue is empty), everything else IDOK.
class MessageRecorder {
public:
    explicit MessageRecorder(CPresetList& store);
    void Answer(int answer) { answers_.push_back(answer); }
    const std::vector<RecordedMessage>& Messages() const { return messages_; }

private:
    std::vector<RecordedMessage> messages_;
    std::vector<int> answers_;
    std::size_t nextAnswer_ = 0;
};

// The data line of the default settings, in parameter-table order.
inline constexpr char kDefaultDataLine[] = "0,75,40,0,50,100,10,500,15,40,0,-35,-120,100,0,0,0,0";
