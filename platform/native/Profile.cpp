// Native INI profile files: GetPrivateProfileStringA and WritePrivateProfileStringA with the
// Windows behaviour for a named value of a named section (see Desktop.h). Every call reads the
// file afresh; nothing is cached. Not thread-safe for concurrent writers of one file.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/native/Desktop.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Names and values end at an embedded NUL, as the platform's strings do.
std::string_view UpToNul(std::string_view text) {
    const std::size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

// One pair of matching outer quotes (double or single) is not part of a value.
std::string_view Unquote(std::string_view text) {
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
        text.back() == text.front()) {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

struct Line {
    enum Kind { kBlank, kSection, kKey };
    Kind kind = kBlank;
    std::string_view name;   // section or key name, trimmed
    std::string_view value;  // trimmed; only with hasValue
    bool hasValue = false;   // a key line with "="
};

// A section header is "[" up to the last "]" of the line (text after it is ignored); a line
// starting with "[" without "]" is a key without a value, like any other line without "=".
Line Classify(std::string_view raw) {
    Line line;
    const std::string_view text = Trim(raw);
    if (text.empty()) return line;
    if (text.front() == '[') {
        const std::size_t close = text.rfind(']');
        if (close != std::string_view::npos && close > 0) {
            line.kind = Line::kSection;
            line.name = UpToNul(Trim(text.substr(1, close - 1)));
            return line;
        }
    }
    line.kind = Line::kKey;
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        line.name = UpToNul(text);
        return line;
    }
    line.name = UpToNul(Trim(text.substr(0, equals)));
    line.value = UpToNul(Trim(text.substr(equals + 1)));
    line.hasValue = true;
    return line;
}

// Lines end at CR LF, LF or a lone CR; a UTF-8 byte order mark at the start is not text.
std::vector<std::string_view> SplitLines(std::string_view content) {
    if (content.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        content.remove_prefix(kByteOrderMark.size());
    }
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] != '\r' && content[i] != '\n') continue;
        lines.push_back(content.substr(start, i - start));
        if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < content.size()) lines.push_back(content.substr(start));
    return lines;
}

enum class ReadResult { kRead, kMissing, kFailed };

ReadResult ReadWholeFile(const char* path, std::string* content) {
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
    if (!file) return errno == ENOENT ? ReadResult::kMissing : ReadResult::kFailed;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        content->append(buffer, got);
    }
    return std::ferror(file.get()) ? ReadResult::kFailed : ReadResult::kRead;
}

// The first section whose name matches: lines [begin, end) after its header. Keys before the
// first header form a section without a name, which a header "[]" does not join.
struct SectionRange {
    bool found = false;
    std::size_t header = 0;  // index of the header line; begin when the section has none
    std::size_t begin = 0;
    std::size_t end = 0;
};

SectionRange FindSection(const std::vector<Line>& lines, std::string_view name) {
    SectionRange range;
    bool anySection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.kind == Line::kSection) {
            if (range.found) {
                range.end = i;
                return range;
            }
            anySection = true;
            if (EqualNoCase(line.name, name)) {
                range.found = true;
                range.header = i;
                range.begin = i + 1;
            }
        } else if (line.kind == Line::kKey && !anySection) {
            anySection = true;
            if (name.empty()) {
                range.found = true;
                range.header = i;
                range.begin = i;
            }
        }
    }
    range.end = lines.size();
    return range;
}

// The index of the first key of the range with that name, or the range's end.
std::size_t FindKey(const std::vector<Line>& lines, const SectionRange& range,
                    std::string_view key) {
    for (std::size_t i = range.begin; i < range.end; ++i) {
        if (lines[i].kind == Line::kKey && EqualNoCase(lines[i].name, key)) return i;
    }
    return range.end;
}

// "name=value" with the value trimmed, as the platform writes it.
std::string KeyLine(std::string_view name, const char* value) {
    return std::string(name).append("=").append(Trim(value));
}

DWORD CopyOut(std::string_view text, LPSTR returned, DWORD size) {
    const std::size_t count = text.size() < size - 1 ? text.size() : size - 1;
    if (count > 0) std::memcpy(returned, text.data(), count);
    returned[count] = '\0';
    return static_cast<DWORD>(count);
}

// Writes the whole file next to its final place, then renames it there, so a failure never
// leaves a half-written file. Keeps the permissions of the file it replaces.
bool ReplaceFile(const char* path, const std::string& content) {
    struct stat existing {};
    const bool exists = ::stat(path, &existing) == 0;
    if (exists && ::access(path, W_OK) != 0) return false;

    std::string temporary = std::string(path) + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    bool ok = ::fchmod(fd, exists ? (existing.st_mode & 07777) : 0644) == 0;
    std::size_t done = 0;
    while (ok && done < content.size()) {
        const ssize_t wrote = ::write(fd, content.data() + done, content.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        ok = wrote > 0;
        if (ok) done += static_cast<std::size_t>(wrote);
    }
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temporary.c_str(), path) == 0;
    if (!ok) ::unlink(temporary.c_str());
    return ok;
}

}  // namespace

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR returned,
                               DWORD size, LPCSTR fileName) {
    if (returned == nullptr || size == 0) return 0;
    std::string_view fallback = defaultValue != nullptr ? defaultValue : "";
    while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);
    fallback = Unquote(fallback);
    if (section == nullptr || key == nullptr || fileName == nullptr) {
        return CopyOut(fallback, returned, size);
    }

    std::string content;
    if (ReadWholeFile(fileName, &content) != ReadResult::kRead) {
        return CopyOut(fallback, returned, size);
    }
    std::vector<Line> lines;
    for (std::string_view raw : SplitLines(content)) lines.push_back(Classify(raw));

    const SectionRange range = FindSection(lines, Trim(section));
    if (!range.found) return CopyOut(fallback, returned, size);
    const std::size_t at = FindKey(lines, range, Trim(key));
    if (at == range.end || !lines[at].hasValue) return CopyOut(fallback, returned, size);
    return CopyOut(Unquote(lines[at].value), returned, size);
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
    if (section == nullptr || fileName == nullptr || fileName[0] == '\0') return FALSE;

    std::string content;
    const ReadResult read = ReadWholeFile(fileName, &content);
    if (read == ReadResult::kFailed) return FALSE;
    const std::vector<std::string_view> raw = SplitLines(content);
    std::vector<Line> lines;
    for (std::string_view text : raw) lines.push_back(Classify(text));

    const std::string_view sectionName = Trim(section);
    const SectionRange range = FindSection(lines, sectionName);
    // The new file is the old lines without [eraseBegin, eraseEnd), with `inserted` before
    // line insertAt (at the end when insertAt is past the last line).
    std::size_t eraseBegin = 0, eraseEnd = 0, insertAt = raw.size();
    std::vector<std::string> inserted;

    // Removing what is not there changes nothing, but, as on Windows, a file that did not exist
    // is left behind empty.
    auto nothingToRemove = [&] {
        return read == ReadResult::kMissing && !ReplaceFile(fileName, "") ? FALSE : TRUE;
    };
    if (key == nullptr) {
        if (!range.found) return nothingToRemove();
        eraseBegin = range.header;
        eraseEnd = range.end;
    } else {
        const std::string_view keyName = Trim(key);
        const std::size_t at = range.found ? FindKey(lines, range, keyName) : raw.size();
        const bool keyFound = range.found && at != range.end;
        if (value == nullptr) {
            if (!keyFound) return nothingToRemove();
            eraseBegin = at;
            eraseEnd = at + 1;
        } else if (keyFound) {
            eraseBegin = at;
            eraseEnd = at + 1;
            insertAt = at;
            inserted.push_back(KeyLine(lines[at].name, value));
        } else {
            if (range.found) {
                // After the section's last non-blank line, so blank lines stay before the next.
                insertAt = range.begin;
                for (std::size_t i = range.begin; i < range.end; ++i) {
                    if (lines[i].kind != Line::kBlank) insertAt = i + 1;
                }
            } else {
                inserted.push_back(std::string(1, '[').append(sectionName).append("]"));
            }
            inserted.push_back(KeyLine(keyName, value));
        }
    }

    std::string output;
    if (content.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0) {
        output.append(kByteOrderMark);
    }
    auto emitInserted = [&] {
        for (const std::string& line : inserted) output.append(line).append("\r\n");
    };
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (i == insertAt) emitInserted();
        if (i >= eraseBegin && i < eraseEnd) continue;
        output.append(raw[i]).append("\r\n");
    }
    if (insertAt >= raw.size()) emitInserted();
    return ReplaceFile(fileName, output) ? TRUE : FALSE;
}
