// The preset array: exact growth, gaps and removal; and records that own their data lines.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "presets/PresetArray.h"

namespace {

TEST(PresetArray, GrowsToExactlyTheSlotsInUseAndClosesGaps) {
    PresetArray array;
    // SetAt's result, then "count/capacity" and the slots up to one past the count ("-": none).
    auto set = [&array](int index, const char* name) {
        auto record = std::make_unique<PresetRecord>();
        std::strcpy(record->name, name);
        std::string text = std::to_string(array.SetAt(index, std::move(record)));
        text.append(" ").append(std::to_string(array.Count())).append("/");
        text.append(std::to_string(array.Capacity()));
        for (int i = 0; i <= static_cast<int>(array.Count()); ++i) {
            text += std::string(" ") + (array.GetAt(i) != nullptr ? array.GetAt(i)->name : "-");
        }
        return text;
    };
    EXPECT_EQ("0 0/0 -", set(-1, "x"));
    EXPECT_EQ("1 1/1 a -", set(0, "a"));
    EXPECT_EQ("1 2/2 a b -", set(1, "b"));
    EXPECT_EQ("1 6/6 a b - - - far -", set(5, "far"));
    EXPECT_EQ("1 6/6 first b - - - far -", set(0, "first"));
    EXPECT_EQ(nullptr, array.RemoveAt(6));
    EXPECT_EQ(nullptr, array.RemoveAt(-1));
    EXPECT_STREQ("b", array.RemoveAt(1)->name);
    EXPECT_EQ("1 6/6 first - - - far c -", set(5, "c"));

    PresetRecord record;
    char* line = new char[8];
    record.TakeData(line);
    EXPECT_EQ(line, record.data);
}

}  // namespace
