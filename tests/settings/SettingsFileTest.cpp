// Round trips of the settings file through the real window.

#include "main/Form1.h"
#include "settings/SettingsFile.h"
#include "subroutines/Subroutines.h"
#include "support/TempTree.h"
#include "support/WindowDriver.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace {

const std::string Bom = "\xFF\xFE";

std::string Utf16Bytes(const std::wstring& text) {
    return Bom + std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

// The file's text: UTF-16LE after a byte-order mark, otherwise the ANSI code page.
std::wstring ReadText(const std::string& bytes) {
    if (bytes.rfind(Bom, 0) == 0)
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2),
                            (bytes.size() - 2) / 2);
    int n =
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
    return text;
}

std::vector<std::wstring> Sections(const std::wstring& text) {
    std::vector<std::wstring> sections;
    std::wistringstream in(text);
    for (std::wstring line; std::getline(in, line);) {
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        if (line.size() > 2 && line.front() == L'[' && line.back() == L']')
            sections.push_back(line.substr(1, line.size() - 2));
    }
    return sections;
}

// The main window over a settings file of the test's own. With `show` false
// the window is created (settings read) but never shown, so nothing is scanned
// and nothing is added to the directory history.
class SettingsWindow {
  public:
    explicit SettingsWindow(const std::wstring& iniPath, bool show = true) {
        ui::App().ErrorReporter = [this](const std::wstring& text) { Errors.push_back(text); };
        form_ = std::make_unique<TForm1>(iniPath);
        if (show)
            form_->Show();
        ui::App().PumpUntilIdle();
    }
    ~SettingsWindow() {
        if (form_->Handle())
            Close();
        form_.reset();
        ui::App().PumpUntilIdle(10, 1000);
        ui::App().ErrorReporter = nullptr;
    }
    TForm1& Form() { return *form_; }
    void Close() {
        SendMessageW(form_->Handle(), WM_CLOSE, 0, 0);
        ui::App().PumpUntilIdle();
    }
    std::vector<std::wstring> Errors;

  private:
    std::unique_ptr<TForm1> form_;
};

class SettingsFile : public ::testing::Test {
  protected:
    TempTree dir;
    std::wstring ini = dir.Path(L"PELMO.INI");

    void WriteIni(const std::wstring& text) { dir.File(L"PELMO.INI", Utf16Bytes(text)); }
    std::string Bytes() const { return dir.Read(L"PELMO.INI"); }
    std::wstring Value(const wchar_t* section, const std::wstring& key) const {
        wchar_t buf[4096];
        DWORD n =
            GetPrivateProfileStringW(section, key.c_str(), L"<missing>", buf, 4096, ini.c_str());
        return std::wstring(buf, n);
    }
};

TEST_F(SettingsFile, NoFileGivesDefaultsAndCloseWritesEveryKeyAsUtf16) {
    {
        SettingsWindow w(ini, false);
        TForm1& f = w.Form();
        EXPECT_EQ(f.ClientWidth(), 1110);
        EXPECT_EQ(f.ClientHeight(), 540);
        EXPECT_EQ(f.Font(), ui::FontSpec{});
        EXPECT_EQ(f.Font().Name, L"ＭＳ ゴシック");
        EXPECT_EQ(f.CurDir, L"C:\\");
        EXPECT_EQ(f.EditorPath, L"C:\\Program Files\\Hidemaru\\Hidemaru.exe");
        EXPECT_TRUE(f.SortForward);
        EXPECT_FALSE(f.SortShlwapi);
        EXPECT_EQ(f.SortKey, 1);
        EXPECT_EQ(f.CopyMode, 5);
        EXPECT_TRUE(f.DirHistory.empty() && f.ZipHistory.empty() && f.QaccessDirList.empty());
        w.Close();
        EXPECT_TRUE(w.Errors.empty()) << Narrow(w.Errors[0]);
    }
    std::string bytes = Bytes();
    ASSERT_EQ(bytes.substr(0, 2), Bom) << "created as UTF-16LE";
    std::wstring text = ReadText(bytes);
    EXPECT_EQ(Sections(text), (std::vector<std::wstring>{L"Window", L"Parameter", L"Font",
                                                         L"QaccssList", L"LogHistL", L"ZipHistL"}));
    EXPECT_NE(text.find(L"Name=ＭＳ ゴシック"), std::wstring::npos) << "no ? in the font name";
    for (int i = 0; i < 26; ++i)
        EXPECT_EQ(Value(L"Parameter", L"dLst" + std::to_wstring(i)), L"") << i;
    for (auto s : {L"QaccssList", L"LogHistL", L"ZipHistL"})
        EXPECT_EQ(Value(s, L"NumberOfList"), L"0") << Narrow(s);
    EXPECT_EQ(Value(L"Parameter", L"fDir"), L"C:\\");
    EXPECT_EQ(Value(L"Parameter", L"F_Forward"), L"1");
    EXPECT_EQ(Value(L"Parameter", L"F_Shlwapi"), L"0");
    EXPECT_EQ(Value(L"Parameter", L"tMode"), L"1");
    EXPECT_EQ(Value(L"Font", L"CharSet"), L"128");
    EXPECT_EQ(Value(L"Font", L"Size"), L"12");
    EXPECT_NE(Value(L"Window", L"Width"), L"<missing>");
}

struct ReadCase {
    const char* what;
    std::wstring ini;
    std::function<void(TForm1&)> check;
};

TEST_F(SettingsFile, ReadsValuesAsTheirTypesSay) {
    TempTree dirs;
    dirs.Dir(L"A");
    dirs.Dir(L"B");
    std::wstring a = dirs.Path(L"A\\"), b = dirs.Path(L"B\\");
    std::wstring lowerA = a;
    CharLowerBuffW(lowerA.data(), static_cast<DWORD>(lowerA.size()));
    std::wstring zip150 = L"[ZipHistL]\r\nNumberOfList=150\r\n";
    for (int i = 0; i < 150; ++i)
        zip150 += L"List" + std::to_wstring(i) + L"=C:\\z\\" + std::to_wstring(i) + L".zip\r\n";
    const std::vector<ReadCase> cases = {
        {"cMode keeps its low 8 bits", L"[Parameter]\r\ncMode=261\r\n",
         [](TForm1& f) { EXPECT_EQ(f.CopyMode, 5); }},
        {"hexadecimal and rubbish", L"[Parameter]\r\ntMode=0x3\r\ncMode=abc\r\nF_Forward=7\r\n",
         [](TForm1& f) {
             EXPECT_EQ(f.SortKey, 3);
             EXPECT_EQ(f.CopyMode, 5);
             EXPECT_TRUE(f.SortForward);
         }},
        {"booleans", L"[Parameter]\r\nF_Forward=0\r\nF_Shlwapi=1\r\n",
         [](TForm1& f) { EXPECT_TRUE(!f.SortForward && f.SortShlwapi); }},
        {"font style and colour",
         L"[Font]\r\nStyle=3\r\nColor=255\r\nSize=20\r\nName=IPAGothic\r\n",
         [](TForm1& f) {
             EXPECT_EQ(f.Font().Style, ui::StyleBold | ui::StyleItalic);
             EXPECT_EQ(f.Font().Color, RGB(255, 0, 0));
             EXPECT_EQ(f.Font().Name, L"IPAGothic");
             LOGFONTW lf{};
             GetObjectW(f.LBox_Files->FontHandle(), sizeof lf, &lf);
             EXPECT_GE(lf.lfWeight, FW_BOLD) << "the controls took the font";
             EXPECT_TRUE(lf.lfItalic);
         }},
        {"fDir present but empty", L"[Parameter]\r\nfDir=\r\n",
         [](TForm1& f) { EXPECT_EQ(f.CurDir, L""); }},
        {"drive letters upper-cased", L"[Parameter]\r\nfDir=d:\\work\\\r\ndLst3=d:\\data\\\r\n",
         [](TForm1& f) {
             EXPECT_EQ(f.CurDir, L"D:\\work\\");
             EXPECT_EQ(f.DriveDirs[3], L"D:\\data\\");
         }},
        {"UNC path unchanged", L"[Parameter]\r\nfDir=\\\\server\\share\\x\\\r\n",
         [](TForm1& f) { EXPECT_EQ(f.CurDir, L"\\\\server\\share\\x\\"); }},
        {"150 entries all loaded", zip150,
         [](TForm1& f) {
             ASSERT_EQ(f.ZipHistory.size(), 150u);
             EXPECT_EQ(f.ZipHistory[149], L"C:\\z\\149.zip");
         }},
        {"missing keys, empty values and missing directories skipped",
         L"[LogHistL]\r\nNumberOfList=5\r\nList0=" + a + L"\r\nList2=\r\nList3=" + b +
             L"\r\nList4=" + dirs.Path(L"gone\\") + L"\r\n",
         [&](TForm1& f) {
             EXPECT_EQ(f.DirHistory, (TStringList{a, b}));
         }},
        {"case-insensitive duplicates load once, as the first",
         L"[QaccssList]\r\nNumberOfList=2\r\nList0=" + a + L"\r\nList1=" + lowerA + L"\r\n",
         [&](TForm1& f) { EXPECT_EQ(f.QaccessDirList, (TStringList{a})); }},
        {"archive names are not tested for existence",
         L"[ZipHistL]\r\nNumberOfList=-1\r\nList0=x.zip\r\n[QaccssList]\r\nNumberOfList="
         L"1\r\nList0=" +
             dirs.Path(L"gone\\") + L"\r\n",
         [](TForm1& f) { EXPECT_TRUE(f.ZipHistory.empty() && f.QaccessDirList.empty()); }},
        {"window bounds off every screen come back onto it",
         L"[Window]\r\nLeft=-99999999\r\nTop=0x7fffffff\r\nHeight=600\r\nWidth=900\r\n",
         [](TForm1& f) {
             RECT r = f.Bounds();
             EXPECT_NE(MonitorFromRect(&r, MONITOR_DEFAULTTONULL), nullptr);
             EXPECT_EQ(r.right - r.left, 900);
             EXPECT_EQ(r.bottom - r.top, 600);
         }},
        {"window bounds", L"[Window]\r\nLeft=40\r\nTop=30\r\nHeight=600\r\nWidth=900\r\n",
         [](TForm1& f) {
             RECT r = f.Bounds();
             EXPECT_EQ(r.left, 40);
             EXPECT_EQ(r.top, 30);
             EXPECT_EQ(r.right - r.left, 900);
             EXPECT_EQ(r.bottom - r.top, 600);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteIni(c.ini);
        SettingsWindow w(ini, false);
        c.check(w.Form());
    }
}

TEST_F(SettingsFile, CloseWritesBackWhatWasReadAndWhatChanged) {
    TempTree start;
    start.Dir(L"日本語");
    std::wstring jp = start.Path(L"日本語\\");
    WriteIni(L"[Window]\r\nLeft=40\r\nTop=30\r\nHeight=600\r\nWidth=900\r\nExtra=w\r\n"
             L"[Parameter]\r\nfDir=" +
             jp +
             L"\r\ncMode=261\r\nMine=kept\r\n"
             L"[Other]\r\nk=v\r\n"
             L"[Font]\r\nName=ＭＳ ゴシック\r\nOdd=1\r\n"
             L"[LogHistL]\r\nJunk=1\r\nNumberOfList=0\r\n");
    {
        SettingsWindow w(ini);
        EXPECT_EQ(w.Form().CurDir, jp);
        w.Form().DriveDirs[3] = L"D:\\data\\";
        w.Close();
        EXPECT_TRUE(w.Errors.empty()) << Narrow(w.Errors[0]);
    }
    std::string bytes = Bytes();
    EXPECT_EQ(bytes.substr(0, 2), Bom);
    std::wstring text = ReadText(bytes);
    EXPECT_EQ(Sections(text), (std::vector<std::wstring>{L"Window", L"Parameter", L"Other", L"Font",
                                                         L"QaccssList", L"LogHistL", L"ZipHistL"}));
    EXPECT_EQ(Value(L"Window", L"Extra"), L"w");
    EXPECT_EQ(Value(L"Parameter", L"Mine"), L"kept");
    EXPECT_EQ(Value(L"Other", L"k"), L"v");
    EXPECT_EQ(Value(L"Font", L"Odd"), L"<missing>");
    EXPECT_EQ(Value(L"LogHistL", L"Junk"), L"<missing>");
    EXPECT_EQ(Value(L"Font", L"Name"), L"ＭＳ ゴシック");
    EXPECT_EQ(Value(L"Parameter", L"fDir"), jp);
    EXPECT_EQ(Value(L"Parameter", L"cMode"), L"5");
    EXPECT_EQ(Value(L"Parameter", L"dLst3"), L"D:\\data\\");
    EXPECT_EQ(Value(L"Window", L"Left"), L"40");
    EXPECT_EQ(Value(L"Window", L"Top"), L"30");
    EXPECT_EQ(Value(L"Window", L"Height"), L"600");
    EXPECT_EQ(Value(L"Window", L"Width"), L"900");
    EXPECT_EQ(Value(L"LogHistL", L"NumberOfList"), L"1") << "the start directory was shown";
    EXPECT_EQ(Value(L"LogHistL", L"List0"), jp);

    // And the next start reads it all back.
    SettingsWindow again(ini, false);
    EXPECT_EQ(again.Form().CurDir, jp);
    EXPECT_EQ(again.Form().DirHistory, (TStringList{jp}));
    EXPECT_EQ(again.Form().DriveDirs[3], L"D:\\data\\");
}

TEST_F(SettingsFile, ExistingAnsiFileKeepsItsEncoding) {
    dir.File(L"PELMO.INI", "[Parameter]\r\nfDir=C:\\\r\n");
    {
        SettingsWindow w(ini, false);
        w.Close();
    }
    std::string bytes = Bytes();
    EXPECT_NE(bytes.substr(0, 2), Bom);
    EXPECT_NE(bytes.find("NumberOfList=0"), std::string::npos);
}

// A settings file in a directory that is gone (it cannot be created), and one
// whose name is taken by a directory (the profile functions cannot write it).
TEST_F(SettingsFile, FailedWriteIsReportedWithThePathAndTheWindowStillCloses) {
    dir.Dir(L"taken\\PELMO.INI");
    for (std::wstring unwritable :
         {dir.Path(L"missing\\PELMO.INI"), dir.Path(L"taken\\PELMO.INI")}) {
        SCOPED_TRACE(Narrow(unwritable));
        SettingsWindow w(unwritable, false);
        w.Close();
        ASSERT_EQ(w.Errors.size(), 1u);
        // The standard error report adds the final dot.
        EXPECT_EQ(w.Errors[0], unwritable + L" に書き込めません.");
        EXPECT_EQ(w.Form().Handle(), nullptr) << "the window closed";
    }
    EXPECT_FALSE(dir.Exists(L"missing"));
}

// Damaged list sections load what they hold, at the cost of what they hold:
// the reads are counted, so a count that claims a billion entries shows as
// a few reads instead of hours of them.
TEST_F(SettingsFile, DamagedListSectionsCostWhatTheyHold) {
    std::wstring long2047(2047, L'x'), long3000(3000, L'y');
    std::wstring list150;
    TStringList all150;
    for (int i = 0; i < 150; ++i) {
        list150 += L"List" + std::to_wstring(i) + L"=c:\\z\\" + std::to_wstring(i) + L".zip\r\n";
        all150.push_back(L"C:\\z\\" + std::to_wstring(i) + L".zip");
    }
    struct Case {
        const char* what;
        std::wstring section; // the body of [ZipHistL]
        TStringList loaded;
        unsigned long long reads;
    };
    const std::vector<Case> cases = {
        {"a billion claimed, two present",
         L"NumberOfList=999999999\r\nList0=a.zip\r\nList7=b.zip\r\n",
         {L"a.zip", L"b.zip"},
         4},
        {"negative count", L"NumberOfList=-3\r\nList0=a.zip\r\n", {}, 1},
        {"hexadecimal count",
         L"NumberOfList=0x2\r\nList0=a\r\nList1=b\r\nList2=c\r\n",
         {L"a", L"b"},
         4},
        {"count that is no number", L"NumberOfList=many\r\nList0=a\r\n", {}, 1},
        {"gaps, keys out of order, indexes beyond the count",
         L"NumberOfList=5\r\nList4=d\r\nList9=z\r\nList1=b\r\nList5=e\r\n",
         {L"b", L"d"},
         4},
        {"key names as the profile functions match them",
         L"NumberOfList=4\r\nlist2=lower\r\nList01=zero\r\nList1x=junk\r\nList3=\"quoted\"\r\n"
         L"List0=first\r\nList0=second\r\n",
         {L"first", L"lower", L"quoted"},
         5},
        {"repeats and empty values",
         L"NumberOfList=3\r\nList0=A.zip\r\nList1=a.ZIP\r\nList2=\r\n",
         {L"A.zip"},
         5},
        {"a 2047-character entry whole, a longer one cut",
         L"NumberOfList=2\r\nList0=" + long2047 + L"\r\nList1=" + long3000 + L"\r\n",
         {long2047, std::wstring(2047, L'y')},
         4},
        {"150 entries", L"NumberOfList=150\r\n" + list150, all150, 152},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteIni(L"[ZipHistL]\r\n" + c.section);
        IniReader reader(ini);
        unsigned long long before = IniReader::Calls();
        EXPECT_EQ(ReadIniList(reader, L"ZipHistL", false), c.loaded);
        EXPECT_EQ(IniReader::Calls() - before, c.reads);
    }

    // The whole start over such a file: the fixed keys and a few reads per list.
    WriteIni(L"[QaccssList]\r\nNumberOfList=999999999\r\n[LogHistL]\r\nNumberOfList=2147483647\r\n"
             L"List0=" +
             dir.Root() + L"\r\n[ZipHistL]\r\nNumberOfList=999999999\r\nList5=x.zip\r\n");
    unsigned long long before = IniReader::Calls();
    SettingsWindow w(ini, false);
    EXPECT_LT(IniReader::Calls() - before, 60u);
    EXPECT_EQ(w.Form().DirHistory, (TStringList{dir.Root()}));
    EXPECT_EQ(w.Form().ZipHistory, (TStringList{L"x.zip"}));
}

// Directory entries are dropped only where the volume answers that the
// directory is gone; absent drives and network shares keep theirs.
TEST_F(SettingsFile, DirectoryEntriesOnAbsentVolumesAreKept) {
    std::wstring absent = AbsentDriveRoot();
    ASSERT_FALSE(absent.empty());
    std::wstring here = dir.Root(), gone = dir.Path(L"gone\\");
    std::wstring onAbsent = absent + L"stick\\photos\\";
    std::wstring share = L"\\\\nosuchserver\\share\\docs\\";
    EXPECT_FALSE(DirectoryKnownGone(here));
    EXPECT_TRUE(DirectoryKnownGone(gone));
    EXPECT_FALSE(DirectoryKnownGone(onAbsent));
    EXPECT_FALSE(DirectoryKnownGone(share));

    WriteIni(L"[QaccssList]\r\nNumberOfList=4\r\nList0=" + here + L"\r\nList1=" + gone +
             L"\r\nList2=" + onAbsent + L"\r\nList3=" + share + L"\r\n");
    {
        SettingsWindow w(ini, false);
        EXPECT_EQ(w.Form().QaccessDirList, (TStringList{here, onAbsent, share}));
        w.Close();
    }
    EXPECT_EQ(Value(L"QaccssList", L"NumberOfList"), L"3");
    EXPECT_EQ(Value(L"QaccssList", L"List1"), onAbsent);
    EXPECT_EQ(Value(L"QaccssList", L"List2"), share);
}

TEST(SettingsPath, DerivedFromTheExecutable) {
    EXPECT_EQ(DefaultIniPath(L"C:\\Tools\\Fm.exe"), L"C:\\TOOLS\\FM.INI");
    EXPECT_EQ(DefaultIniPath(L"C:\\a.b\\prog"), L"C:\\A.B\\PROG.INI");
    EXPECT_EQ(DefaultIniPath(L"Z:\\x\\Pelmo.tar.exe"), L"Z:\\X\\PELMO.TAR.INI");
}

TEST(SettingsPath, IntegerText) {
    struct Case {
        const wchar_t* text;
        bool ok;
        int value;
    };
    for (auto c : std::vector<Case>{{L"12", true, 12},
                                    {L"-5", true, -5},
                                    {L"0x1F", true, 31},
                                    {L"0XfF", true, 255},
                                    {L"", false, 0},
                                    {L"abc", false, 0},
                                    {L"12abc", false, 0},
                                    {L"0x", false, 0},
                                    {L"99999999999", false, 0}}) {
        int v = 0;
        EXPECT_EQ(ParseIniInteger(c.text, v), c.ok) << Narrow(c.text);
        if (c.ok) {
            EXPECT_EQ(v, c.value) << Narrow(c.text);
        }
    }
}

} // namespace
