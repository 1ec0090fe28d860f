#include "marketdata/DirectoryCheck.h"
#include "marketdata/Emaster.h"
#include "support/MasterFiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace tavrix;
using namespace testing_support;

namespace {
template <typename Container, typename Piece> void Put(Container& bytes, std::size_t offset, const Piece& piece)
{
    std::copy(piece.begin(), piece.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

// A price file of `fields` fields per record; each bar gives its date (and time), the other fields are 1.
Bytes PriceFile(std::size_t fields, const std::vector<std::vector<float>>& bars)
{
    Bytes bytes(4 * fields * (bars.size() + 1), 0);
    bytes[2] = static_cast<std::uint8_t>(bars.size() + 1);
    for (std::size_t i = 0; i < fields * bars.size(); ++i)
        Put(bytes, 4 * (fields + i), ToMbf(i % fields < bars[i / fields].size() ? bars[i / fields][i % fields] : 1));
    return bytes;
}

// A directory as vendors write them: file-type bytes 65 00, the second counter holding the highest
// file number, records out of number order, no F<n>.DOP, an intraday security, EMASTER and XMASTER.
struct VendorDir
{
    std::vector<MasterRecord> master = {SecurityRecord(7, "VEND", "VENDOR"), SecurityRecord(3, "FIB30", "FIB30", 8)};
    std::map<std::string, Bytes> files; // MASTER and EMASTER, unless a change gives them, are made from `master`

    VendorDir()
    {
        for (MasterRecord& record : master)
            Put(record, kRecFileType, Bytes{0x65, 0}), Put(record, kRecFirstDate, ToMbf(1100104));
        Put(master[0], kRecLastDate, ToMbf(1100106)), Put(master[1], kRecLastDate, ToMbf(1100105));
        Put(master[1], kRecPeriod, Bytes{'I', 1});
        files["F7.DAT"] = PriceFile(7, {{1100104}, {1100105}, {1100106}});
        files["F3.DAT"] = PriceFile(8, {{1100104, 91600}, {1100104, 91700}, {1100105, 90000}});
        files["F256.MWD"] = PriceFile(8, {{1100104, 93000}, {1100105, 93000}});
        files["sub/MASTER"] = MasterBytes({});             // for <DIR> entries that a change adds
        Bytes& xmaster = files["XMASTER"] = Bytes(300, 0); // F256 'R', 8 fields with the time, next 257
        Put(xmaster, 0, FromHex("5d fe 58 4d 00 00 00 00 00 00 01 00 00 00 01 00 00 00 01 01"));
        Put(xmaster, 150, FromHex("01 52 00 00 00 00 00 00 00 00 00 00 00 00 00 00 52"));
        Put(xmaster, 150 + 62, FromHex("44 00 00 00 01 00 00 00 ff"));
        Put(xmaster, 150 + 108, FromHex("08 b4 32 01 00 00 00 00 09 b4 32 01")); // 20100104, 20100105
    }
};
} // namespace

TEST(DirectoryCheck, VendorPracticeIsSoundAndEachProblemIsFound)
{
    // Each change gives the one finding (problem, or note) that holds the text.
    const std::pair<const char*, std::function<void(VendorDir&)>> cases[] = {
        {"", [](auto&) {}},
        {"the header counts 3 records,", [](auto& d) { d.files["MASTER"] = MasterBytes(d.master, 3, 7); }},
        {"has file number 0", [](auto& d) { d.master[1][kRecFileNumber] = 0, d.files.erase("F3.DAT"); }},
        {"takes file number 7 again", [](auto& d) { d.master[1][kRecFileNumber] = 7, d.files.erase("F3.DAT"); }},
        {"has a file number below 256", [](auto& d) { d.files["XMASTER"][150 + 66] = 0, d.files.erase("F256.MWD"); }},
        {"record 1 (F7 'R') has a file number below 256 that MASTER record 1 takes too",
         [](auto& d) {
             d.files["XMASTER"][150 + 65] = 7, d.files["XMASTER"][150 + 66] = 0, d.files.erase("F256.MWD");
         }},
        {"takes file number 256 again",
         [](auto& d) {
             Bytes& x = d.files["XMASTER"];
             x.resize(450), Put(x, 300, Bytes(&x[150], &x[300])), x[10] = x[14] = 2;
         }},
        {"the next file number 256 is already taken", [](auto& d) { d.files["XMASTER"][18] = 0; }},
        {"has no price file F3.DAT", [](auto& d) { d.files.erase("F3.DAT"); }},
        {"has no price file F256.MWD", [](auto& d) { d.files.erase("F256.MWD"); }},
        {"has record length 24 for 7 fields", [](auto& d) { d.master[0][kRecRecordLength] = 24; }},
        {"3 bytes after the last whole 28-byte record", [](auto& d) { d.files["F7.DAT"].resize(4 * 28 + 3); }},
        {"count word is 4, the file holds 2 records (count word 3)", [](auto& d) { d.files["F256.MWD"][2] = 4; }},
        {"1100105.5, which names no day", [](auto& d) { Put(d.files["F7.DAT"], 4 * 7 * 2, ToMbf(1100105.5f)); }},
        {"record 3 has the time value 246000", [](auto& d) { Put(d.files["F3.DAT"], 4 * (8 * 3 + 1), ToMbf(246000)); }},
        {"F7.DAT: record 2 (2010-01-04)", [](auto& d) { Put(d.files["F7.DAT"], 4 * 7 * 2, ToMbf(1100104)); }},
        {"F3.DAT: record 2 (2010-01-04)", [](auto& d) { Put(d.files["F3.DAT"], 4 * (8 * 2 + 1), ToMbf(91600)); }},
        {"MASTER gives 2010-01-04 to 2010-01-07", [](auto& d) { Put(d.master[0], kRecLastDate, ToMbf(1100107)); }},
        {"XMASTER gives 2010-01-04 to 2010-01-06", [](auto& d) { d.files["XMASTER"][266] = 0x0a; }},
        {"lists 2 fields; MASTER record 1 (F7 'VEND') has 7",
         [](auto& d) { d.files["F7.DOP"] = FromHex("22 44 41 54 45 22 0a 22 4f 49 22 0a"); }}, // "DATE" "OI"
        {"F9.DAT: is a price file that no master file lists", [](auto& d) { d.files["F9.DAT"] = Bytes(28, 0); }},
        {"f7.dat: is another spelling of F7.DAT", [](auto& d) { d.files["f7.dat"] = d.files["F7.DAT"]; }},
        {"(<DIR> 'NOWHERE') leads to no directory", [](auto& d) { d.master.push_back(DirectoryRecord("NOWHERE")); }},
        {"(<DIR> '.') names no sub-directory", [](auto& d) { d.master.push_back(DirectoryRecord(".")); }},
        {"(<DIR> 'SUB') leads back to a directory", [](auto& d) { d.master.resize(4, DirectoryRecord("SUB")); }},
        {"sub/MASTER: shorter than its 53-byte header",
         [](auto& d) { d.master.resize(3, DirectoryRecord("SUB")), d.files["sub/MASTER"].resize(20); }},
        {"0 records, MASTER 2", [](auto& d) { (d.files["EMASTER"] = FromHex("02 00 07 00")).resize(192); }},
        {"has file-type bytes 00 00, neither 65 00 nor 00 65", [](auto& d) { d.master[0][kRecFileType] = 0; }},
        {"header counter 5 is neither", [](auto& d) { d.files["MASTER"] = MasterBytes(d.master, -1000, 5); }},
        {"has period 'X'", [](auto& d) { d.master[0][kRecPeriod] = 'X'; }},
        {"note: record 1 (F7 'VEND') has 7 fields and no F7.DOP; readers that go by the field count show \"date time",
         [](auto& d) { d.master[0][kRecPeriod] = 'I'; }},
    };
    for (const auto& [expected, change] : cases)
    {
        VendorDir dir;
        change(dir);
        dir.files.emplace("MASTER", MasterBytes(dir.master, -1000, 7));
        EmasterFile emaster;
        CopyMasterHeader(dir.files["MASTER"].data(), &emaster.header);
        for (const MasterRecord& record : dir.master)
            emaster.records.push_back(BuildEmasterRecord(record));
        dir.files.emplace("EMASTER", emaster.Bytes());
        TempDir temp;
        MakeDir(temp / "sub");
        for (const auto& [name, bytes] : dir.files)
            WriteBytes(temp / name, bytes);
        const CheckResult result = CheckDirectoryTree(temp.path());
        std::string found;
        for (const CheckFinding& finding : result.findings)
            found += finding.file + ": " + (finding.note ? "note: " : "") + finding.text + "\n";
        EXPECT_EQ(result.findings.size(), *expected ? 1u : 0u) << expected << "\n" << found;
        EXPECT_NE(found.find(expected), std::string::npos) << expected << "\n" << found;
        EXPECT_EQ(result.Notes(), std::string(expected).rfind("note: ", 0) == 0 ? 1 : 0) << found;
    }
}
