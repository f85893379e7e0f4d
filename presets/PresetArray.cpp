// Preset records and the array that holds them.
#include "presets/PresetArray.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

bool PresetRecord::CopyData(const char* text) {
    delete[] data;
    data = nullptr;
    const std::size_t length = std::strlen(text);
    char* copy = new (std::nothrow) char[length + 1];
    if (copy == nullptr) return false;
    std::memcpy(copy, text, length + 1);
    data = copy;
    return true;
}

void PresetRecord::TakeData(char* owned) {
    delete[] data;
    data = owned;
}

std::unique_ptr<PresetRecord> PresetRecord::Clone() const {
    std::unique_ptr<PresetRecord> copy(new (std::nothrow) PresetRecord);
    if (!copy) return nullptr;
    copy->version = version;
    std::memcpy(copy->name, name, sizeof name);
    std::memcpy(copy->bank, bank, sizeof bank);
    copy->id = id;
    if (data != nullptr && !copy->CopyData(data)) return nullptr;
    return copy;
}

int PresetArray::SetAt(int index, std::unique_ptr<PresetRecord> record) {
    if (index < 0 || index == INT32_MAX) return 0;
    if (index >= capacity_) {
        std::unique_ptr<std::unique_ptr<PresetRecord>[]> grown(
            new (std::nothrow) std::unique_ptr<PresetRecord>[static_cast<std::size_t>(index) + 1]);
        if (!grown) return 0;
        for (std::uint32_t i = 0; i < count_; ++i) grown[i] = std::move(slots_[i]);
        slots_ = std::move(grown);
        capacity_ = index + 1;
    }
    if (static_cast<std::uint32_t>(index) >= count_) count_ = static_cast<std::uint32_t>(index) + 1;
    slots_[index] = std::move(record);
    return 1;
}

PresetRecord* PresetArray::GetAt(int index) const {
    if (index < 0 || static_cast<std::uint32_t>(index) >= count_) return nullptr;
    return slots_[index].get();
}

std::unique_ptr<PresetRecord> PresetArray::RemoveAt(int index) {
    if (index < 0 || static_cast<std::uint32_t>(index) >= count_) return nullptr;
    std::unique_ptr<PresetRecord> removed = std::move(slots_[index]);
    for (std::uint32_t i = static_cast<std::uint32_t>(index); i + 1 < count_; ++i) {
        slots_[i] = std::move(slots_[i + 1]);
    }
    --count_;
    return removed;
}

void PresetArray::Clear() {
    for (std::uint32_t i = 0; i < count_; ++i) slots_[i].reset();
    count_ = 0;
}

void PresetArray::SwapContents(PresetArray& other) {
    std::swap(count_, other.count_);
    std::swap(capacity_, other.capacity_);
    std::swap(slots_, other.slots_);
}
