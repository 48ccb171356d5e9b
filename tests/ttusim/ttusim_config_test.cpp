// The panel's INI reader: the message each kind of mistake gives (file,
// line, what is wrong). The shipped configuration is every other test's.
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "PanelConfig.h"

namespace {

class IniTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t szTemp[MAX_PATH];
        GetTempPathW(MAX_PATH, szTemp);
        m_strPath = std::wstring(szTemp) + L"ttusim_ini_test.ini";
    }
    void TearDown() override { DeleteFileW(m_strPath.c_str()); }

    /* The error for a text, with the file name cut off ("" if it loads). */
    std::string ErrorFor(const std::string &strText)
    {
        std::ofstream(m_strPath.c_str(), std::ios::binary) << strText;
        std::string strError;
        if (LoadPanelConfig(m_strPath, m_config, strError))
            return std::string();
        size_t at = strError.find("ttusim_ini_test.ini");
        return at == std::string::npos ? strError : strError.substr(at + 19);
    }

    std::wstring m_strPath;
    CPanelConfig m_config;
};

const char kMinimal[] = "[Device]\nResolutions=20x4\n[Keyboard]\nKeys=0123\n";

TEST_F(IniTest, EachMistakeNamesItsLine)
{
    EXPECT_EQ(ErrorFor(kMinimal), "");
    EXPECT_EQ(ErrorFor("Resolutions=20x4\n"), "(1): 'Resolutions' stands before the first section");
    EXPECT_EQ(ErrorFor("[Device]\n\n; note\nColours=2\n"), "(4): unknown key 'Colours' in [Device]");
    EXPECT_EQ(ErrorFor("[Display]\n"), "(1): unknown section [Display]");
    EXPECT_EQ(ErrorFor("[Device]\nResolutions=20x4, 20x4\n"),
              "(2): resolution '20x4' is listed twice");
    EXPECT_EQ(ErrorFor("[Device]\nResolutions=81x4\n"),
              "(2): a width must be a number from 1 to 80, not '81'");
    EXPECT_EQ(ErrorFor("[Device]\nResolutions=20*4\n"),
              "(2): a resolution must be WIDTHxHEIGHT, not '20*4'");
    EXPECT_EQ(ErrorFor("[Device]\nLEDs=2\nLEDs=3\n"), "(3): 'LEDs' is given twice in this section");
    EXPECT_EQ(ErrorFor("[Device]\nKeyLock=maybe\n"), "(2): KeyLock must be yes or no, not 'maybe'");
    EXPECT_EQ(ErrorFor("[Device]\nCharSupport=EBCDIC\n"),
              "(2): CharSupport takes ASCII, UNICODE or both, not 'EBCDIC'");
    EXPECT_EQ(ErrorFor("[Keyboard]\nCommandKeys=ENTER, FDK33\n"), "(2): unknown command key 'FDK33'");
    EXPECT_EQ(ErrorFor("[Keyboard]\nKeys=0120\n"), "(2): key '0' is listed twice");
    EXPECT_EQ(ErrorFor("[Device]\nno equals sign\n"), "(2): expected KEY=VALUE, found 'no equals sign'");
    EXPECT_EQ(ErrorFor("[Device\n"), "(1): a section header must end with ']'");
}

TEST_F(IniTest, FormsAreChecked)
{
    EXPECT_EQ(ErrorFor(std::string(kMinimal) + "[Form A]\nSize=10x2\nField=F; Position=0,0; Length=4; Type=BOLD\n"),
              "(7): Type takes TEXT, INVISIBLE, PASSWORD, not 'BOLD'");
    EXPECT_EQ(ErrorFor(std::string(kMinimal) + "[Form A]\nField=F; Position=0,0; Length=4\n"),
              "(6): Size must come before the first Field");
    EXPECT_EQ(ErrorFor(std::string(kMinimal) + "[Form A]\nSize=10x2\nField=F G; Position=0,0; Length=4\n"),
              "(7): a field needs a name of letters, digits, '_' and '-', not 'F G'");
    EXPECT_EQ(ErrorFor(std::string(kMinimal) + "[Form A]\nSize=10x2\nField=F; Length=4\n"),
              "(7): field 'F' needs a Position and a Length");
    EXPECT_EQ(ErrorFor(std::string(kMinimal) + "[Form A]\nSize=10x2\nField=F; Position=0,0; Length=2; Text=ABC\n"),
              "(7): the Text of field 'F' is longer than its Length");
    EXPECT_EQ(ErrorFor(std::string(kMinimal) + "[Form A]\n[Form A]\n"), "(6): form 'A' is defined twice");
    // Mistakes of the whole file have no line.
    EXPECT_EQ(ErrorFor(std::string(kMinimal) + "[Form A]\nSize=10x2\n"),
              ": forms are defined but [Device] says Forms=no");
    EXPECT_EQ(ErrorFor("[Device]\nResolutions=20x4\n"), ": [Keyboard] needs Keys or CommandKeys");
    EXPECT_EQ(ErrorFor("[Keyboard]\nKeys=1\n"), ": [Device] needs Resolutions");
}

} // namespace
