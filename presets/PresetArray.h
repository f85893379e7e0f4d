// One stored preset (PresetRecord) and the ordered array of presets that the preset store
// keeps for its live list and its backup list (PresetArray). Used by CPresetList.
#pragma once

#include <cstdint>
#include <memory>

constexpr int kPresetTextSize = 128;  // name and bank, NUL included

struct PresetRecord {
    PresetRecord() = default;
    ~PresetRecord() { delete[] data; }
    PresetRecord(const PresetRecord&) = delete;
    PresetRecord& operator=(const PresetRecord&) = delete;

    // Replaces the data line by a copy of text (its exact length); false, leaving the record
    // without a data line, when the copy cannot be allocated.
    bool CopyData(const char* text);
    // Replaces the data line by a string allocated with new[] (e.g. the page's answer to
    // WM_GETPRESETDATA); the record owns it from now on.
    void TakeData(char* owned);
    // A full copy, data line included; null when an allocation fails.
    std::unique_ptr<PresetRecord> Clone() const;

    // Format of the data line: 1, 2 or 3. Version 1 stores Width in old units (a fiftieth).
    std::int32_t version = 3;
    char name[kPresetTextSize] = {};
    char bank[kPresetTextSize] = {};  // empty: in no bank
    // The data line, a heap string from new[], owned and freed with the record. A raw pointer
    // because the page's WM_GETPRESETDATA handler stores a new one through its address.
    char* data = nullptr;
    std::uint32_t id = 0;  // run-time identifier and menu command; never written to a file
};

// An ordered array of owned records whose slot array grows to exactly the slots in use.
class PresetArray {
public:
    PresetArray() = default;
    PresetArray(const PresetArray&) = delete;
    PresetArray& operator=(const PresetArray&) = delete;

    // Stores record at index. An index at or beyond the capacity first reallocates the slots to
    // exactly index + 1 (no growth factor); an index at or beyond the count makes the count
    // index + 1 (slots in between stay empty). Returns 1, or 0 for a negative index or when
    // the slots cannot be allocated (the record is then freed).
    int SetAt(int index, std::unique_ptr<PresetRecord> record);
    int Append(std::unique_ptr<PresetRecord> record) {
        return SetAt(static_cast<int>(count_), std::move(record));
    }
    // The record at index, or null outside 0..count-1. Not owned by the caller.
    PresetRecord* GetAt(int index) const;
    // Takes the record at index out, moving the later ones down; null outside 0..count-1.
    std::unique_ptr<PresetRecord> RemoveAt(int index);
    // Frees every record; the slot array stays.
    void Clear();
    // Exchanges the records at i and j (both inside 0..count-1).
    void Swap(int i, int j) { slots_[i].swap(slots_[j]); }
    void SwapContents(PresetArray& other);

    std::uint32_t Count() const { return count_; }
    std::int32_t Capacity() const { return capacity_; }

private:
    std::uint32_t count_ = 0;
    std::int32_t capacity_ = 0;
    std::unique_ptr<std::unique_ptr<PresetRecord>[]> slots_;
};
