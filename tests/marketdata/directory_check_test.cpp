#include "marketdata/DirectoryCheck.h"
#include "marketdata/Emaster.h"
#include "marketdata/FieldLayout.h"
#include "support/MasterFiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace tavrix;
using namespace testing_support;

namespace {
void Put(Bytes* bytes, std::size_t offset, const Bytes& piece)
{
    std::copy(piece.begin(), piece.end(), bytes->begin() + static_cast<std::ptrdiff_t>(offset));
}

// A price file of `fields` fields per record; each bar is a date (and a time for 8 fields).
Bytes PriceFile(int fields, const std::vector<std::pair<float, float>>& bars)
{
    Bytes bytes(4 * fields, 0);
    bytes[2] = static_cast<std::uint8_t>(bars.size() + 1);
    for (const auto& [date, time] : bars)
        for (int field = 0; field < fields; ++field)
        {
            const MbfBytes value = ToMbf(field == 0 ? date : (field == 1 && fields == 8 ? time : 1.0f));
            bytes.insert(bytes.end(), value.begin(), value.end());
        }
    return bytes;
}

// A directory as vendors write them: file-type bytes 65 00, the second counter holding the highest
// file number, records out of number order, no F<n>.DOP, an intraday security, EMASTER and XMASTER.
struct VendorDir
{
    std::vector<MasterRecord> master;
    int count = -1000;
    int count2 = 7;
    std::map<std::string, Bytes> files;
    std::function<void(EmasterFile*)> editEmaster = [](EmasterFile*) {};

    VendorDir()
    {
        MasterRecord daily = SecurityRecord(7, "VEND", "VENDOR DAILY");
        MasterRecord intraday = SecurityRecord(3, "FIB30", "FIB30", 8);
        for (MasterRecord* record : {&daily, &intraday})
            (*record)[kRecFileType] = 0x65, (*record)[kRecFileType + 1] = 0;
        SetDates(&daily, 1100104, 1100106);
        SetDates(&intraday, 1100104, 1100105);
        intraday[kRecPeriod] = 'I', intraday[kRecPeriod + 1] = 1;
        master = {daily, intraday};
        files["F7.DAT"] = PriceFile(7, {{1100104, 0}, {1100105, 0}, {1100106, 0}});
        files["F3.DAT"] = PriceFile(8, {{1100104, 91600}, {1100104, 91700}, {1100105, 90000}});
        files["F256.MWD"] = PriceFile(7, {{1100104, 0}, {1100105, 0}});
        Bytes xmaster(300, 0); // F256 'R', 7 fields, next number 257
        Put(&xmaster, 0, FromHex("5d fe 58 4d 00 00 00 00 00 00 01 00 00 00 01 00 00 00 01 01"));
        Put(&xmaster, 150, FromHex("01 52 00 00 00 00 00 00 00 00 00 00 00 00 00 00 52"));
        Put(&xmaster, 150 + 62, FromHex("44 00 00 00 01 00 00 00 7f"));
        Put(&xmaster, 150 + 108, FromHex("08 b4 32 01 00 00 00 00 09 b4 32 01")); // 20100104, 20100105
        files["XMASTER"] = xmaster;
    }

    static void SetDates(MasterRecord* record, float first, float last)
    {
        const MbfBytes a = ToMbf(first), b = ToMbf(last);
        std::copy(a.begin(), a.end(), &(*record)[kRecFirstDate]);
        std::copy(b.begin(), b.end(), &(*record)[kRecLastDate]);
    }

    void Write(const std::string& path) const
    {
        const Bytes masterBytes = MasterBytes(master, count, count2);
        WriteBytes(path + "/MASTER", masterBytes);
        EmasterFile emaster;
        CopyMasterHeader(masterBytes.data(), &emaster.header);
        for (const MasterRecord& record : master)
            emaster.records.push_back(BuildEmasterRecord(record));
        editEmaster(&emaster);
        WriteBytes(path + "/EMASTER", EmasterBytes(emaster));
        for (const auto& [name, bytes] : files)
            WriteBytes(path + "/" + name, bytes);
    }
};

// Record `bar` (the header is record 0) gets `value` in its field number `field`.
void SetBarField(Bytes* file, int fields, int bar, int field, float value)
{
    const MbfBytes mbf = ToMbf(value);
    std::copy(mbf.begin(), mbf.end(), &(*file)[static_cast<std::size_t>(4 * (fields * bar + field))]);
}
} // namespace

TEST(DirectoryCheck, VendorPracticeIsSoundAndEachProblemIsFound)
{
    struct Case
    {
        const char* expected; // in the one problem found
        std::function<void(VendorDir&)> change;
    };
    const Case cases[] = {
        {"", [](VendorDir&) {}},
        {"the header counts 3 records, the file holds 2", [](VendorDir& d) { d.count = 3; }},
        {"has file number 0", [](VendorDir& d) { d.master[1][kRecFileNumber] = 0, d.files.erase("F3.DAT"); }},
        {"takes file number 7 again (MASTER record 1)",
         [](VendorDir& d) { d.master[1][kRecFileNumber] = 7, d.files.erase("F3.DAT"); }},
        {"has a file number below 256",
         [](VendorDir& d) { d.files["XMASTER"][150 + 66] = 0, d.files.erase("F256.MWD"); }},
        {"takes file number 256 again",
         [](VendorDir& d) {
             Bytes& x = d.files["XMASTER"];
             x.insert(x.end(), x.begin() + 150, x.end());
             x[10] = x[14] = 2;
         }},
        {"the next file number 256 is already taken", [](VendorDir& d) { d.files["XMASTER"][18] = 0; }},
        {"has no price file F3.DAT", [](VendorDir& d) { d.files.erase("F3.DAT"); }},
        {"has no price file F256.MWD", [](VendorDir& d) { d.files.erase("F256.MWD"); }},
        {"has record length 24 for 7 fields", [](VendorDir& d) { d.master[0][kRecRecordLength] = 24; }},
        {"3 bytes after the last whole 28-byte record",
         [](VendorDir& d) { d.files["F7.DAT"].insert(d.files["F7.DAT"].end(), 3, 0); }},
        {"count word is 4, the file holds 2 records (count word 3)", [](VendorDir& d) { d.files["F256.MWD"][2] = 4; }},
        {"record 2 has the date value 1100105.5, which names no day",
         [](VendorDir& d) { SetBarField(&d.files["F7.DAT"], 7, 2, 0, 1100105.5f); }},
        {"record 3 has the time value 246000, which names no time of day",
         [](VendorDir& d) { SetBarField(&d.files["F3.DAT"], 8, 3, 1, 246000); }},
        {"F7.DAT: record 2 (2010-01-04) does not come after record 1 (2010-01-04)",
         [](VendorDir& d) { SetBarField(&d.files["F7.DAT"], 7, 2, 0, 1100104); }},
        {"F3.DAT: record 2 (2010-01-04) does not come after record 1", // same date and time
         [](VendorDir& d) { SetBarField(&d.files["F3.DAT"], 8, 2, 1, 91600); }},
        {"MASTER gives 2010-01-04 to 2010-01-07, the records 2010-01-04 to 2010-01-06",
         [](VendorDir& d) { VendorDir::SetDates(&d.master[0], 1100104, 1100107); }},
        {"XMASTER gives 2010-01-04 to 2010-01-06", [](VendorDir& d) { d.files["XMASTER"][266] = 0x0a; }},
        {"lists 2 fields; MASTER record 1 (F7 'VEND') has 7",
         [](VendorDir& d) { d.files["F7.DOP"] = FromHex("22 44 41 54 45 22 0a 22 4f 49 22 0a"); }}, // "DATE" "OI"
        {"F9.DAT: is a price file that no master file lists", [](VendorDir& d) { d.files["F9.DAT"] = Bytes(28, 0); }},
        {"f7.dat: is another spelling of F7.DAT", [](VendorDir& d) { d.files["f7.dat"] = d.files["F7.DAT"]; }},
        {"(<DIR> 'NOWHERE') leads to no directory",
         [](VendorDir& d) { d.master.push_back(DirectoryRecord("NOWHERE")); }},
        {"disagrees with MASTER: record 1 (F7 VEND in MASTER) has symbol 'VENT'",
         [](VendorDir& d) { d.editEmaster = [](EmasterFile* e) { e->records[0][kEmSymbol + 3] = 'T'; }; }},
        {"has file-type bytes 00 00, neither 65 00 nor 00 65", [](VendorDir& d) { d.master[0][kRecFileType] = 0; }},
        {"the second header counter 5 is neither", [](VendorDir& d) { d.count2 = 5; }},
        {"has period 'X'", [](VendorDir& d) { d.master[0][kRecPeriod] = 'X'; }},
    };
    for (const Case& c : cases)
    {
        VendorDir dir;
        c.change(dir);
        TempDir temp;
        dir.Write(temp.path());
        const CheckResult result = CheckDirectoryTree(temp.path());
        std::string found;
        for (const CheckFinding& finding : result.findings)
            found += finding.file + ": " + (finding.note ? "note: " : "") + finding.text + "\n";
        EXPECT_EQ(result.Problems(), *c.expected ? 1 : 0) << c.expected << "\n" << found;
        EXPECT_EQ(result.Notes(), 0) << found;
        EXPECT_NE(found.find(c.expected), std::string::npos) << c.expected << "\n" << found;
        EXPECT_TRUE(*c.expected || result.securities == 3);
    }
}

TEST(DirectoryCheck, SubDirectoriesAreCheckedInTurn)
{
    TempDir temp;
    WriteMaster(temp.path(), {DirectoryRecord("SUB"), DirectoryRecord("SUB")});
    MakeDir(temp / "sub");
    WriteBytes(temp / "sub/master", Bytes(20, 0));
    const CheckResult result = CheckDirectoryTree(temp.path());
    EXPECT_EQ(result.directories, 2);
    ASSERT_EQ(result.findings.size(), 2u);
    EXPECT_EQ(result.findings[0].file + ": " + result.findings[0].text,
              temp / "sub/master: shorter than its 53-byte header");
    EXPECT_EQ(result.findings[1].text,
              "record 2 (<DIR> 'SUB') leads back to a directory already checked, or its path is "
              "too long");
}

TEST(DirectoryCheck, FieldSetsThatReadersWhichIgnoreTheLayoutMisread)
{
    const std::vector<Field> all = DefaultFieldsForCount(7);
    const std::pair<std::vector<Field>, const char*> cases[] = {
        {all, ""},
        {DefaultFieldsForCount(6), ""}, // date open high low close volume: most readers alike
        {{kFieldDate, kFieldHigh, kFieldLow, kFieldClose, kFieldVolume, kFieldOpenInterest},
         "show \"date open high low close volume\" or refuse it"},
        {{kFieldDate, kFieldHigh, kFieldLow, kFieldClose}, "show \"4 unnamed columns\" or refuse it"},
        {{kFieldDate, kFieldClose}, "no reader is known to read 2 fields by their count"},
    };
    for (const auto& [fields, expected] : cases)
    {
        const std::string note = MisreadFieldsNote(fields);
        EXPECT_TRUE(*expected ? note.find(expected) != std::string::npos : note.empty()) << expected << ": " << note;
    }
    EXPECT_EQ(MisreadFieldsNote(all, 'I'),
              "readers that go by the field count show \"date time open high low close volume\"");
}
