#include "app/Alert.h"
#include "app/ResourceIds.h"
#include "app/StringTables.h"
#include "app/ZubrikErrors.h"

#include <gtest/gtest.h>

#include <thread>

using namespace NSZubrik;
using NSTextPackage::CStringTables;
using NSTextPackage::FormatText;
using NSTextPackage::XIllegalTextFormat;

TEST(StringTables, ParsesTablesCommentsAndLookups)
{
    const CStringTables tables = CStringTables::Parse(
        "// heading\r\n"
        "SSTR 128\r\n"
        "\n"
        "  7\t{ leading and trailing }  \r\n"
        "//8 {disabled}\n"
        "9 {a {nested} brace}\n"
        "10 {}\n"
        "SALR 129\n"
        "2000 {[STOP]Too long.[OK]}");
    EXPECT_EQ(tables.Find("SSTR", 128, 7), " leading and trailing ");
    EXPECT_EQ(tables.Find("SSTR", 128, 8), std::nullopt);
    EXPECT_EQ(tables.Find("SSTR/128/9"), "a {nested} brace");
    EXPECT_EQ(tables.Find("SSTR/128/10"), "");
    EXPECT_EQ(tables.Get("SALR/129/2000"), "[STOP]Too long.[OK]");
    EXPECT_EQ(tables.Entries("SSTR", 128).size(), 3u);
    EXPECT_TRUE(tables.Entries("SHLP", 1).empty());

    for (const char* path : {"SALR/129", "SALR/129/x", "SALR//2000", "SALR/129/2000/1", "SSTR/129/2000"})
        EXPECT_EQ(tables.Find(path), std::nullopt) << path;
    EXPECT_THROW(tables.Get("SALR", 129, 1), XNotFound);
}

TEST(StringTables, MalformedResourceLinesAreRefused)
{
    const char* malformed[] = {
        "1 {before any table}",
        "SSTR 128\n1 {one}\n1 {again}",
        "SSTR 128\n1 {}\nSSTR 128",
        "SSTR 128\n1{no white space}",
        "SSTR 128\n1 no braces",
        "SSTR 128\n1 {unclosed",
        "SSTR 128\n1 {text} trailing",
        "SSTR 128\n99999999999 {too large}",
        "STRINGS 128",
        "SSTR",
        "SSTR x",
    };
    for (const char* text : malformed)
        EXPECT_THROW(CStringTables::Parse(text), XIllegalTextFormat) << text;
}

TEST(StringTables, FormatTextPlaceholders)
{
    EXPECT_EQ(FormatText("^0 and ^1, ^2", {"a", "^1"}), "a and ^1, ");
    EXPECT_EQ(FormatText("^9!", {"0", "1", "2", "3", "4", "5", "6", "7", "8", "nine"}), "nine!");
    EXPECT_EQ(FormatText("caret ^ and end ^"), "caret ^ and end ^");
    EXPECT_EQ(FormatText("one\\rtwo\\n"), "one\ntwo\\n");
}

// Every alert of the program parses with one to three buttons; every string
// entry formats. Run through the built-in resource text.
TEST(ProgramTexts, EveryEntryIsWellFormed)
{
    const CStringTables& tables = CStringTables::Program();
    const auto& alerts = tables.Entries("SALR", kAlertTable);
    EXPECT_GE(alerts.size(), 68u);
    for (const auto& [entry, text] : alerts) {
        const auto alert = NSTextPackage::ParseAlertText(text, {"a", "b", "c"});
        EXPECT_FALSE(alert.fMessage.empty()) << entry;
        EXPECT_GE(alert.fButtons.size(), 1u) << entry;
    }
    EXPECT_GE(tables.Entries("SSTR", kProgramStringList).size(), 365u);
    EXPECT_EQ(tables.Entries("SSTR", kSharedStringList).size(), 17u);

    // Each preset block ends with an empty entry inside its 21.
    for (const int32_t block : {NSStrings::kEnvelopePresets, NSStrings::kTransientShaperPresets,
                                NSStrings::kEqualizerPresets}) {
        int32_t presets = 0;
        while (!GetString(kProgramStringList, block + presets).empty())
            ++presets;
        EXPECT_EQ(presets, 7) << block;
    }
}

TEST(ProgramTexts, KnownEntriesHaveTheirExactText)
{
    const CStringTables& tables = CStringTables::Program();
    EXPECT_EQ(tables.Get("SALR/129/3"),
              "[STOP][Disk Full]The operation could not be completed because there is not enough "
              "space available on the disk.[OK]");
    EXPECT_EQ(tables.Get("SALR/129/2306"),
              "[WARN][Could not complete operation!]Zubrik was unable to complete the Undo/Redo "
              "operation.[OK]");

    const auto prefs = GetAlert(kAlertTable, NSAlerts::kPreferencesOtherVersion);
    EXPECT_EQ(prefs.fTitle, "Couldn't read Preferences file!");
    EXPECT_EQ(prefs.fMessage,
              "The file was created by a different version of Zubrik. Reverting to standard settings.");
    const std::string_view name[] = {"Kit 001.wav"};
    const auto piece = GetAlert(kAlertTable, NSAlerts::kPieceDiskFull, name);
    EXPECT_EQ(piece.fTitle, "Couldn't export slice \"Kit 001.wav\"!");
    EXPECT_EQ(piece.fMessage, "The disk you try to save to is full. No more slices will be exported.");
    const auto oldFile = GetAlert(kAlertTable, NSAlerts::kOldNormalizeOption);
    EXPECT_NE(oldFile.fMessage.find("version.\nTo normalize"), std::string::npos);
    EXPECT_EQ(GetAlert(kAlertTable, NSAlerts::kReplaceSliceFile).fButtons,
              (std::vector<std::string>{"Replace", "Replace All", "Cancel"}));

    EXPECT_EQ(GetString(kProgramStringList, NSStrings::kFindingSlices), "Finding slices (frames left):");
    EXPECT_EQ(GetString(kProgramStringList, NSStrings::kWritingSampleCell),
              "Writing SampleCell Instrument file... ");
    EXPECT_EQ(GetString(kProgramStringList, NSStrings::kChangeSensitivity), "Change Sensitivity");
    EXPECT_EQ(GetString(kProgramStringList, NSStrings::kUndoMenuItem, {"Normalize"}), "Undo Normalize");
    EXPECT_EQ(GetString(kProgramStringList, 20101), "_Open...;O");
    EXPECT_EQ(GetString(kProgramStringList, NSStrings::kEqualizerPresets + 6),
              "My Mad Neighbour[LoCut:15][Low:3000][LowGain:-17000][LowQ:5850][High:3657]"
              "[HighGain:-4000][HighQ:500][HighCut:255]");
    EXPECT_EQ(GetString(kProgramStringList, NSStrings::kInfoTexts + 25), "Gate sensitivity ");
    EXPECT_EQ(GetString(kSharedStringList, NSSharedStrings::kSaveChangesBeforeQuitting, {"Loop"}),
              "Save changes to the document \"Loop\" before quitting?");
}

TEST(ProgramTexts, FirstUseFromSeveralThreadsSeesOneTable)
{
    std::vector<const CStringTables*> seen(4);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = &CStringTables::Program(); });
    for (std::thread& thread : threads)
        thread.join();
    for (const CStringTables* tables : seen)
        EXPECT_EQ(tables, seen.front());
}
