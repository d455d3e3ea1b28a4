// The entry order over in-memory lists and over real scanned directories.

#include "commands/SortOrder.h"
#include "subroutines/Subroutines.h"
#include "support/TempTree.h"
#include "support/WindowDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

constexpr int32_t Dir = FILE_ATTRIBUTE_DIRECTORY;
constexpr int32_t Hidden = FILE_ATTRIBUTE_HIDDEN;
constexpr int32_t System = FILE_ATTRIBUTE_SYSTEM;

struct Spec {
    std::wstring name;
    int32_t attr = 0;
    int64_t size = 0;
    double date = 0;
};

TFileList MakeList(const std::vector<Spec>& specs) {
    TFileList list;
    for (const auto& s : specs) {
        auto e = std::make_unique<TDataRec>();
        e->FileName = s.name;
        e->FileAttr = s.attr;
        e->FileSize = s.size;
        e->FileDate = s.date;
        list.push_back(std::move(e));
    }
    return list;
}

std::vector<std::wstring> Names(const TFileList& list) {
    std::vector<std::wstring> names;
    for (const auto& e : list)
        names.push_back(e->FileName);
    return names;
}

std::vector<std::wstring> Sorted(std::vector<Spec> specs, SortOptions options) {
    // Start from the reverse of the expected order, so that a sort that does
    // nothing fails.
    std::reverse(specs.begin(), specs.end());
    TFileList list = MakeList(specs);
    SortEntries(list, options);
    return Names(list);
}

std::vector<std::wstring> NamesOf(const std::vector<Spec>& specs) {
    std::vector<std::wstring> names;
    for (const auto& s : specs)
        names.push_back(s.name);
    return names;
}

SortOptions Opt(uint8_t key, bool forward, bool shlwapi) { return SortOptions{key, forward, shlwapi}; }

double Day(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
    return EncodeDateTime(y, m, d, h, mi, s, 0);
}

struct OrderCase {
    const char* what;
    SortOptions options;
    std::vector<Spec> expected; // in the expected order
};

TEST(SortOrder, OrdersTheCasesOfEachKeyDirectionAndNaturalOrder) {
    const std::vector<OrderCase> cases = {
        {"natural 2: digit runs by value", Opt(skName, true, false),
         {{L"file2"}, {L"file10"}}},
        {"natural 2: equal numbers, whole names decide", Opt(skName, true, false),
         {{L"a01"}, {L"a1"}}},
        {"natural 2: case matters", Opt(skName, true, false), {{L"Zeta"}, {L"alpha"}}},
        {"natural 2: prefix first", Opt(skName, true, false), {{L"abc"}, {L"abc1"}}},
        {"natural 2: digits before letters", Opt(skName, true, false), {{L"1x"}, {L"x"}}},
        {"natural 2: other Unicode digits are no digits", Opt(skName, true, false),
         {{L"a10"}, {L"a\u0663"}, {L"a\uFF11"}}},
        {"natural 1: case ignored", Opt(skName, true, true), {{L"alpha"}, {L"Zeta"}}},
        {"natural 1: digit runs by value", Opt(skName, true, true), {{L"file2"}, {L"file10"}}},
        {"size ascending, natural 2", Opt(skSize, true, false),
         {{L"dirB", Dir}, {L"dirC", Dir}, {L"z", 0, 9}, {L"a", 0, 10}, {L"b", 0, 10}, {L"c", 0, 100}}},
        {"size ascending, natural 1", Opt(skSize, true, true),
         {{L"z", 0, 9}, {L"a", 0, 10}, {L"b", 0, 10}, {L"c", 0, 100}}},
        {"size descending: equal sizes by name, descending", Opt(skSize, false, false),
         {{L"dirC", Dir}, {L"dirB", Dir}, {L"c", 0, 100}, {L"b", 0, 10}, {L"a", 0, 10}, {L"z", 0, 9}}},
        {"extension: by extension, then name; no extension last", Opt(skExtension, true, false),
         {{L"zdir", Dir}, {L"a.doc"}, {L"b.doc"}, {L"a.txt"}, {L"1readme"}, {L"Makefile"}}},
        {"extension descending", Opt(skExtension, false, false),
         {{L"Makefile"}, {L"1readme"}, {L"a.txt"}, {L"b.doc"}, {L"a.doc"}}},
        {"directories first, by attribute bits, both ways (ascending)", Opt(skName, true, false),
         {{L".."}, {L"s", Dir | Hidden | System}, {L"h", Dir | Hidden}, {L"a", Dir}, {L"b", Dir},
          {L"A.txt"}}},
        {"directories first, by attribute bits, both ways (descending)", Opt(skName, false, false),
         {{L".."}, {L"s", Dir | Hidden | System}, {L"h", Dir | Hidden}, {L"b", Dir}, {L"a", Dir},
          {L"A.txt"}}},
        {"descending reverses inside each group only", Opt(skName, false, true),
         {{L".."}, {L"zz", Dir}, {L"aa", Dir}, {L"file10"}, {L"file2"}, {L"alpha"}}},
        // Locale: the test process runs with LANG=ja_JP.UTF-8 (short date yyyy/M/d):
        // the date text is chronological, and midnight shows no time at all.
        {"date ascending, year-first locale", Opt(skDate, true, false),
         {{L"d", Dir, 0, Day(2024, 1, 1)}, {L"old", 0, 0, Day(2023, 12, 31, 23, 59, 59)},
          {L"midnight", 0, 0, Day(2024, 2, 3)}, {L"later", 0, 0, Day(2024, 2, 3, 0, 0, 1)},
          {L"dec", 0, 0, Day(2024, 12, 1, 9)}}},
        {"date descending, natural 1", Opt(skDate, false, true),
         {{L"dec", 0, 0, Day(2024, 12, 1, 9)}, {L"later", 0, 0, Day(2024, 2, 3, 0, 0, 1)},
          {L"midnight", 0, 0, Day(2024, 2, 3)}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Sorted(c.expected, c.options), NamesOf(c.expected)) << c.what;
}

TEST(SortOrder, ParentStaysFirstAndDirectoriesBeforeFilesUnderEverySetting) {
    std::vector<Spec> specs = {{L"b.txt", 0, 5, Day(2020, 1, 1)}, {L"a", Dir, 0, Day(2021, 1, 1)},
                               {L"..", Dir, 0, Day(2025, 1, 1)}, {L"c", Dir | Hidden, 0, 0},
                               {L"a.doc", 0, 7, Day(2019, 1, 1)}};
    for (uint8_t key : {0, 1, 2, 3, 7})
        for (bool forward : {true, false})
            for (bool shlwapi : {true, false}) {
                auto names = Sorted(specs, Opt(key, forward, shlwapi));
                EXPECT_EQ(names[0], L"..");
                EXPECT_EQ(names[1], L"c") << "hidden directory before the plain one";
                EXPECT_EQ(names[2], L"a");
                EXPECT_TRUE(names[3].find(L'.') != std::wstring::npos) << int(key);
            }
}

TEST(SortOrder, DerivedTexts) {
    EXPECT_EQ(ExtensionKey(L"report.txt"), L".txtreport.txt");
    EXPECT_EQ(ExtensionKey(L"Makefile"), L"Makefile");
    EXPECT_EQ(ExtensionKey(L"a.tar.gz"), L".gza.tar.gz");
    TDataRec e;
    e.FileSize = 1234567;
    EXPECT_EQ(SortSizeText(e), L"1234567");
    // Locale: ja_JP (yyyy/MM/dd or yyyy/M/d, H:mm:ss) under the test runner.
    e.FileDate = Day(2024, 2, 3);
    std::wstring midnight = SortDateText(e);
    EXPECT_EQ(midnight.find(L' '), std::wstring::npos) << Narrow(midnight);
    e.FileDate = Day(2024, 2, 3, 7, 8, 9);
    std::wstring later = SortDateText(e);
    EXPECT_EQ(later.rfind(midnight + L" ", 0), 0u) << Narrow(later);
    EXPECT_NE(later.find(L"7:08:09"), std::wstring::npos) << Narrow(later);
}

TEST(SortOrder, RunsAndDigitValues) {
    std::wstring s = L"ab12c\uFF13007";
    EXPECT_EQ(TakeRun(s), L"ab");
    EXPECT_EQ(TakeRun(s), L"12");
    EXPECT_EQ(TakeRun(s), L"c\uFF13"); // a full-width digit is no digit
    EXPECT_EQ(TakeRun(s), L"007");
    EXPECT_EQ(TakeRun(s), L"");
    EXPECT_EQ(s, L"");

    EXPECT_EQ(CompareIntText(L"007", L"7"), 0);
    EXPECT_EQ(CompareIntText(L"9", L"10"), -1);
    EXPECT_EQ(CompareIntText(L"9223372036854775807", L"1"), 1);
    EXPECT_EQ(CompareIntText(L"00000000000000000000001", L"1"), 0);
    EXPECT_THROW(CompareIntText(L"9223372036854775808", L"1"), DigitRunOverflow);

    EXPECT_LT(NaturalCompare2(L"file2", L"file10"), 0);
    EXPECT_GT(NaturalCompare2(L"file10", L"file2"), 0);
    EXPECT_EQ(NaturalCompare2(L"same", L"same"), 0);
    EXPECT_LT(NaturalCompare2(L"", L"a"), 0);
    EXPECT_THROW(NaturalCompare2(L"x12345678901234567890", L"x1"), DigitRunOverflow);
}

TEST(SortOrder, TwentyDigitRunMakesThePairEqualOnlyInNaturalOrder2) {
    auto list = MakeList({{L"x12345678901234567890"}, {L"x1"}, {L"y12345678901234567890"}});
    EXPECT_EQ(CompareEntries(*list[0], *list[1], Opt(skName, true, false)), 0);
    EXPECT_EQ(CompareEntries(*list[1], *list[0], Opt(skName, false, false)), 0);
    // The runs before the long one decide first.
    EXPECT_LT(CompareEntries(*list[0], *list[2], Opt(skName, true, false)), 0);
    EXPECT_THROW(CompareByKey(*list[0], *list[1], false, Opt(skName, true, false)),
                 DigitRunOverflow);
    EXPECT_NE(CompareEntries(*list[0], *list[1], Opt(skName, true, true)), 0);
}

// Names whose comparison is inconsistent: x<huge> equals every x<n>, while
// the x<n> are ordered among themselves.
TEST(SortOrder, InconsistentComparisonEndsWithinTheList) {
    std::mt19937 rng(7);
    std::vector<Spec> specs = {{L"..", Dir}};
    for (int i = 0; i < 3000; ++i) {
        std::wstring name = L"x";
        if (rng() % 3 == 0)
            name += L"98765432109876543210" + std::to_wstring(rng() % 100);
        else
            name += std::to_wstring(rng() % 500);
        specs.push_back({name + L"_" + std::to_wstring(i), rng() % 4 == 0 ? Dir : 0, i % 13});
    }
    for (uint8_t key : {1, 2})
        for (bool forward : {true, false}) {
            TFileList list = MakeList(specs);
            SortEntries(list, Opt(key, forward, false));
            auto names = Names(list);
            auto expected = NamesOf(specs);
            EXPECT_EQ(names.front(), L"..");
            std::sort(names.begin(), names.end());
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(names, expected) << "the sort keeps every entry exactly once";
            auto first = std::find_if(list.begin() + 1, list.end(),
                                      [](const auto& e) { return !(e->FileAttr & Dir); });
            EXPECT_TRUE(std::all_of(first, list.end(), [](const auto& e) { return !(e->FileAttr & Dir); }));
        }
}

// The sort over derived keys agrees with the comparison of the records: every
// pair in the sorted list is in order.
TEST(SortOrder, SortedListIsOrderedByCompareEntriesUnderEverySetting) {
    std::mt19937 rng(11);
    const wchar_t* stems[] = {L"a", L"B", L"file", L"File", L"x-", L"", L"img_"};
    const wchar_t* exts[] = {L"", L".txt", L".TXT", L".doc", L".7z", L"."};
    std::vector<Spec> specs = {{L"..", Dir}};
    for (int i = 0; i < 70; ++i) {
        std::wstring name = stems[rng() % 7] + std::to_wstring(rng() % 120);
        if (rng() % 2)
            name += L"v" + std::wstring(rng() % 3, L'0') + std::to_wstring(rng() % 9);
        name += exts[rng() % 6];
        int32_t attr = rng() % 5 == 0 ? (Dir | static_cast<int32_t>(rng() % 8)) : 0;
        specs.push_back({name, attr, attr & Dir ? 0 : rng() % 40,
                         Day(2024, 1 + rng() % 12, 1 + rng() % 28, rng() % 3, 0, 0)});
    }
    for (uint8_t key : {0, 1, 2, 3})
        for (bool forward : {true, false})
            for (bool shlwapi : {true, false}) {
                SortOptions o = Opt(key, forward, shlwapi);
                TFileList list = MakeList(specs);
                SortEntries(list, o);
                for (size_t i = 0; i < list.size(); ++i)
                    for (size_t j = i + 1; j < list.size(); ++j)
                        ASSERT_LE(CompareEntries(*list[i], *list[j], o), 0)
                            << Narrow(list[i]->FileName) << " / " << Narrow(list[j]->FileName)
                            << " key " << int(key) << " fwd " << forward << " shl " << shlwapi;
            }
}

// Real directories: the scan sorts with the options read from the settings file.
TEST(SortOrder, ScannedDirectoryFollowsTheSettings) {
    TempTree t;
    t.Dir(L"sub");
    t.Dir(L"hid", FILE_ATTRIBUTE_HIDDEN);
    t.File(L"file10.txt", std::string(100, 'x'));
    t.File(L"file2.txt", std::string(9, 'x'));
    t.File(L"File3.doc", std::string(10, 'x'));
    t.SetTime(L"file10.txt", 2024, 3, 1, 12);
    t.SetTime(L"file2.txt", 2024, 3, 1);
    t.SetTime(L"File3.doc", 2023, 11, 5, 8, 30);
    struct ScanCase {
        const wchar_t* ini;
        std::vector<std::wstring> expected;
    };
    const std::vector<ScanCase> cases = {
        {L"tMode=1\r\n", {L"..", L"hid", L"sub", L"File3.doc", L"file2.txt", L"file10.txt"}},
        {L"tMode=1\r\nF_Shlwapi=1\r\n",
         {L"..", L"hid", L"sub", L"file2.txt", L"File3.doc", L"file10.txt"}},
        {L"tMode=0\r\nF_Forward=0\r\n",
         {L"..", L"hid", L"sub", L"file10.txt", L"file2.txt", L"File3.doc"}},
        {L"tMode=2\r\n", {L"..", L"hid", L"sub", L"file2.txt", L"File3.doc", L"file10.txt"}},
        // Locale: year-first short date (ja_JP).
        {L"tMode=3\r\nF_Forward=0\r\n",
         {L"..", L"hid", L"sub", L"file10.txt", L"file2.txt", L"File3.doc"}},
    };
    for (const auto& c : cases) {
        WindowDriver w(t.Root(), c.ini);
        EXPECT_EQ(Names(w.Form().FileList), c.expected) << Narrow(c.ini);
    }
}

} // namespace
