#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/Engine.h"
#include "tests/engine/world_fixture.h"

static constexpr char MODULE_NAME[] = "tests/params";

namespace {

using testsupport::WriteFile;

class Params : public testsupport::WorldTest {};

// Each row: the file's text, then the expected XDIM and HVAL.
TEST_F(Params, EachLineAppliesTheFirstMatchingKeyAsItIsRead) {
  struct Row {
    const char* text;
    int32_t xdim, hval;
  };
  const Row rows[] = {
      {"", 640, 320},
      {"A=B=C", 640, 320},
      {"XDIM= 800", 800, 320},
      {"XDIM =800", 640, 320},
      {"xdim=800", 640, 320},
      {"XDIM=800abc", 800, 320},
      {"XDIM=abc", 0, 320},
      {"HVAL=0.5", 640, 320},
      {"XDIM=800\nHVAL=0.5", 800, 400},
      {"XDIM=641\nHVAL=0.5", 641, 320},
      {"XDIM=643\r\nHVAL=0.5\r\n", 643, 322},
      {"HVAL=0.5\nXDIM=800", 800, 320},
      {"\n\nXDIM=700\n\n", 700, 320},
  };
  for (const Row& row : rows) {
    OpenDefaultWindow();
    WriteFile("params.property", row.text);
    LOADPARAMS("params.property");
    EXPECT_EQ(XDIM, row.xdim) << row.text;
    EXPECT_EQ(HVAL, row.hval) << row.text;
    EXPECT_EQ(PPL, 640) << row.text;
    EXPECT_EQ(TEXTUREDB.Count(), 0) << row.text;
    EXPECT_EQ(BOARDDB.Count(), 0) << row.text;
  }
}

TEST_F(Params, EveryKeySetsItsGlobalAndTheLastLineNeedsNoTerminator) {
  OpenDefaultWindow();
  WriteFile("params.property",
            "YDIM=600\nPPL=1024\nGAMMA=1.8\nTURNRATE=0.05\nFWMOVERATE=0.1\nTHREADS=3\n"
            "REVMOVERATE=-2e-1");
  LOADPARAMS("params.property");
  EXPECT_EQ(YDIM, 600);
  EXPECT_EQ(PPL, 1024);
  EXPECT_EQ(GAMMA, 1.8);
  EXPECT_EQ(TURNRATE, 0.05);
  EXPECT_EQ(FWMOVERATE, 0.1);
  EXPECT_EQ(REVMOVERATE, -0.2);
  EXPECT_EQ(THREADS, 3);
  EXPECT_EQ(FILEMODE.At(PARAMMODE, RT_HERE).FILENAME, "params.property");
}

// The desktop window's keys reach the platform as they are read; other spellings do not.
TEST_F(Params, DesktopKeysReachThePlatform) {
  struct Row {
    const char* text;
    bool fullscreen, vsync;
    double scale;
    const char* folder;
  };
  const double kScale = platform::kDefaultMouseScale;
  const Row rows[] = {
      {"XDIM=640\nfullscreen=1\nVSYNC =1\n VSYNC=1", false, false, kScale, ""},
      {"FULLSCREEN=1\nVSYNC=2\nMOUSESCALE=0.5\nSCREENSHOTS= shots/a=b", true, true, 0.5,
       " shots/a=b"},
      {"VSYNC=1\nVSYNC=0\nFULLSCREEN=yes\nMOUSESCALE=-1e-1", false, false, -0.1, ""},
      {"FULLSCREEN=0.5\nVSYNC=4294967296", true, true, kScale, ""},
      {"FULLSCREEN=-0\nVSYNC=0e9", false, false, kScale, ""},
  };
  for (const Row& row : rows) {
    OpenDefaultWindow();
    platform::SetFullscreen(false);
    platform::SetVsync(false);
    platform::SetMouseScale(kScale);
    platform::SetScreenshotFolder("");
    WriteFile("params.property", row.text);
    LOADPARAMS("params.property");
    const platform::DesktopSettings& desktop = platform::Desktop();
    EXPECT_EQ(desktop.fullscreen, row.fullscreen) << row.text;
    EXPECT_EQ(desktop.vsync, row.vsync) << row.text;
    EXPECT_EQ(desktop.mouse_scale, row.scale) << row.text;
    EXPECT_EQ(desktop.screenshots, row.folder) << row.text;
  }
  platform::SetMouseScale(kScale);
  platform::SetScreenshotFolder("");
}

// A bad input's report keeps its documented form and follows one line that names the input
// (file and line) and what was wrong; a key mistyped but for case or blanks is warned about.
TEST_F(Params, BadInputsAreNamedOnTheLineBeforeTheReport) {
  struct Row {
    const char* params;  // null: no parameter file
    const char* list;    // the texture list's text (beside t0.bmp and t1.bmp)
    int code;
    const char* stderr_regex;
  };
  const Row rows[] = {
      {nullptr, "", 2,
       "^params.property: cannot open the parameter file \"params.property\": no such file in "
       "/[^\n]+\n\nAborting due to runtime error 2 "},
      {"XDIM=320\nTEXTURES=nowhere.property", "", 2,
       "^params.property:2: cannot open the texture list \"nowhere.property\": no such file in "
       "/[^\n]+\n\nAborting due to runtime error 2 "},
      {"TEXTURES=textures.property", "a=t0.bmp\nb=wall.png\n", 1,
       "^textures.property:2: \"wall.png\": a PNG picture, not a Windows bitmap \\(BMP\\)\n"
       "\nAborting due to runtime error 1 "},
      {"TEXTURES=textures.property", "a=t0.bmp\nt1.bmp\n", 1,
       "^textures.property:2: no \"=\" between the label and the bitmap's file name\n\nAborting"},
      {"TEXTURES=textures.property", "a=gone.bmp\n", 1,
       "^textures.property:1: \"gone.bmp\": no such file in /[^\n]+\n\nAborting"},
      {"XDIM = 640\nTEXTURES=textures.property\nboard\nBOARD", "a=t0.bmp\n", 6,
       "^params.property:1: warning: \"XDIM \" is not the key XDIM \\(keys are upper case, "
       "without blanks\\); the line is skipped\nparams.property:3: warning: \"board\" is not "
       "the key BOARD [^\n]+\nparams.property:4: BOARD needs at least two textures loaded by "
       "TEXTURES lines before it; 1 loaded\n\nAborting due to runtime error 6 "},
      {"TEXTURES=textures.property\nBOARD", "a=t0.bmp\n", 6,
       "^params.property:2: BOARD needs at least two textures loaded by TEXTURES lines before "
       "it; 1 loaded\n\nAborting due to runtime error 6 "},
      {"YDIM=0", "", 1,
       "^params.property: no window of XDIM x YDIM = 640 x 0 pixels opens \\(each side 1 to "
       "16384, with memory for its pages\\)\n\nAborting due to runtime error 1 "},
  };
  WriteTextures({"a", "b"});
  WriteFile("wall.png", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(100, '\0'));
  for (const Row& row : rows) {
    std::filesystem::remove("params.property");
    if (row.params != nullptr) WriteFile("params.property", row.params);
    WriteFile("textures.property", row.list);
    EXPECT_EXIT(
        {
          OpenDefaultWindow();
          STARTUP_END();
        },
        testing::ExitedWithCode(row.code), row.stderr_regex)
        << (row.params == nullptr ? "no file" : row.params);
  }
}

TEST_F(Params, TexturesAndBoardRunTheirLoadersInFileOrder) {
  for (const char* board : {"BOARD", "BOARD=", "BOARD=anything"}) {
    RESETGLOBALS();
    OpenDefaultWindow();
    WriteTextures({"a", "b", "c"});
    WriteFile("params.property", std::string("TEXTURES=textures.property\n") + board);
    LOADPARAMS("params.property");
    EXPECT_EQ(TEXTUREDB.Count(), 3) << board;
    EXPECT_GE(BOARDDB.Count(), 252 + 1) << board;
  }
}

TEST_F(Params, LabelToValueGivesTheCurrentSettings) {
  OpenDefaultWindow();
  WriteFile("params.property", "XDIM=801\nHVAL=0.5\nTURNRATE=0.25\nGAMMA=2");
  LOADPARAMS("params.property");
  EXPECT_EQ(LABEL2VALUE("XDIM"), "801");
  EXPECT_EQ(LABEL2VALUE("YDIM"), "480");
  EXPECT_EQ(LABEL2VALUE("HVAL"), "400");
  EXPECT_EQ(LABEL2VALUE("PPL"), "640");
  EXPECT_EQ(LABEL2VALUE("GAMMA"), "2");
  EXPECT_EQ(LABEL2VALUE("TURNRATE"), "0.25");
  EXPECT_EQ(LABEL2VALUE("FWMOVERATE"), "0");
  EXPECT_EQ(LABEL2VALUE("TEXTURES"), "textures.property");
  EXPECT_EQ(LABEL2VALUE("BOARD"), "");
  EXPECT_EQ(LABEL2VALUE("xdim"), "");
}

TEST(PercentileOffset, RoundsDownTowardsMinusInfinity) {
  EXPECT_EQ(PERCENTILEOFFSET(100, 640, 50), 270);
  EXPECT_EQ(PERCENTILEOFFSET(640, 100, 50), -270);
  EXPECT_EQ(PERCENTILEOFFSET(3, 0, 50), -2);
  EXPECT_EQ(PERCENTILEOFFSET(0, 640, 100), 640);
}

// A missing parameter file or texture list is a failure, reported as "file not found".
TEST_F(Params, AMissingFileStopsWithFileNotFound) {
  OpenDefaultWindow();
  EXPECT_EXIT(LOADPARAMS("params.property"), testing::ExitedWithCode(2),
              "^[^\n]+\n\nAborting due to runtime error 2 \\(file not found\\) at line [0-9]+ of "
              "engine/Params::LOADPARAMS\\(\\)\n\n$");
  WriteFile("params.property", "TEXTURES=missing.property\n");
  EXPECT_EXIT(LOADPARAMS("params.property"), testing::ExitedWithCode(2),
              "^[^\n]+\n\nAborting due to runtime error 2 \\(file not found\\) at line [0-9]+ of "
              "engine/Textures::LOADTEXTUREDB\\(\\)\n\n$");
}

TEST_F(Params, ABoardBeforeTwoTexturesIsOutOfBounds) {
  WriteTextures({"only"});
  for (const char* text :
       {"BOARD\nTEXTURES=textures.property", "TEXTURES=textures.property\nBOARD"}) {
    OpenDefaultWindow();  // the end of the program closed the window
    WriteFile("params.property", text);
    EXPECT_EQ(testsupport::ExitCodeOf([] { LOADPARAMS("params.property"); }), 6) << text;
    EXPECT_EQ(BOARDDB.Count(), 0) << text;
  }
}

// The README's table of keys and the man page name every key the reader knows, so that a key
// added to the reader cannot be left undocumented; the man pages give the project's version.
TEST(ParamKeys, EveryKeyIsDocumentedInTheReadmeAndTheManPage) {
  const auto read = [](const std::string& path) {
    std::ifstream file(std::string(MAZE_SOURCE_DIR) + "/" + path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  };
  const std::string readme = read("README.md"), man = read("docs/man/maze-viewer.6");
  ASSERT_FALSE(readme.empty());
  ASSERT_FALSE(man.empty());
  // Each page, read as it is in the source tree, names the project's version.
  for (const char* page : {"maze-viewer.6", "maze-map.5", "maze-snapshot.1", "maze-property.1"}) {
    const std::string text = read(std::string("docs/man/") + page);
    EXPECT_NE(text.find("\"maze-viewer " MAZE_VERSION "\""), std::string::npos) << page;
    EXPECT_EQ(text.find('@'), std::string::npos) << page;
  }
  for (const std::string& key : PARAMETERKEYS()) {
    EXPECT_NE(readme.find("| `" + key + "` |"), std::string::npos) << key << " in README.md";
    const bool in_man = man.find("\n.BI " + key + "= ") != std::string::npos ||
                        man.find("\n.B " + key + "\n") != std::string::npos;
    EXPECT_TRUE(in_man) << key << " in maze-viewer.6";
  }
}

}  // namespace
