// The preset array: exact growth, gaps, removal, and records with their data lines.
#include <gtest/gtest.h>

#include <cstring>

#include "presets/PresetArray.h"

namespace {

std::unique_ptr<PresetRecord> Named(const char* name) {
    auto record = std::make_unique<PresetRecord>();
    std::strcpy(record->name, name);
    return record;
}

TEST(PresetArray, GrowsToExactlyTheSlotsInUse) {
    PresetArray array;
    EXPECT_EQ(0u, array.Count());
    EXPECT_EQ(0, array.Capacity());
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(1, array.Append(Named("x")));
        EXPECT_EQ(static_cast<unsigned>(i), array.Count());
        EXPECT_EQ(i, array.Capacity());
    }
    // Setting past the end leaves empty slots between.
    EXPECT_EQ(1, array.SetAt(6, Named("far")));
    EXPECT_EQ(7u, array.Count());
    EXPECT_EQ(7, array.Capacity());
    EXPECT_EQ(nullptr, array.GetAt(4));
    EXPECT_STREQ("far", array.GetAt(6)->name);
    // Overwriting inside the count changes neither count nor capacity.
    EXPECT_EQ(1, array.SetAt(0, Named("first")));
    EXPECT_EQ(7u, array.Count());
    EXPECT_STREQ("first", array.GetAt(0)->name);
}

TEST(PresetArray, RejectsIndexesOutsideTheArray) {
    PresetArray array;
    EXPECT_EQ(0, array.SetAt(-1, Named("x")));
    EXPECT_EQ(0u, array.Count());
    array.Append(Named("a"));
    EXPECT_EQ(nullptr, array.GetAt(-1));
    EXPECT_EQ(nullptr, array.GetAt(1));
    EXPECT_EQ(nullptr, array.RemoveAt(-1));
    EXPECT_EQ(nullptr, array.RemoveAt(1));
    EXPECT_EQ(1u, array.Count());
}

TEST(PresetArray, RemovalHandsTheRecordBackAndClosesTheGap) {
    PresetArray array;
    array.Append(Named("a"));
    array.Append(Named("b"));
    array.Append(Named("c"));
    std::unique_ptr<PresetRecord> removed = array.RemoveAt(1);
    ASSERT_NE(nullptr, removed);
    EXPECT_STREQ("b", removed->name);
    EXPECT_EQ(2u, array.Count());
    EXPECT_EQ(3, array.Capacity());
    EXPECT_STREQ("a", array.GetAt(0)->name);
    EXPECT_STREQ("c", array.GetAt(1)->name);
}

TEST(PresetRecord, OwnsAndCopiesItsDataLine) {
    PresetRecord record;
    record.version = 1;
    std::strcpy(record.name, "Plate");
    std::strcpy(record.bank, "Plates");
    record.id = 3507;
    ASSERT_TRUE(record.CopyData("1,2,3"));
    std::unique_ptr<PresetRecord> copy = record.Clone();
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ(1, copy->version);
    EXPECT_STREQ("Plate", copy->name);
    EXPECT_STREQ("Plates", copy->bank);
    EXPECT_EQ(3507u, copy->id);
    EXPECT_STREQ("1,2,3", copy->data);
    EXPECT_NE(record.data, copy->data);

    char* fresh = new char[8];
    std::strcpy(fresh, "4,5");
    record.TakeData(fresh);
    EXPECT_EQ(fresh, record.data);
    EXPECT_STREQ("1,2,3", copy->data);
}

}  // namespace
