// The folders of src/ are layers. A file includes headers of its own folder and
// of the layers below it, never of a layer above or of a neighbour on its own
// level; the core's folders include nothing of Qt Gui or Qt Widgets.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/TempTree.h"

namespace {

namespace fs = std::filesystem;

struct Layer {
  std::string folder;  // under src/; empty for main.cpp at the top
  int level;
  bool core;  // Qt Core only: vistarel_core and the media worker
};

const std::vector<Layer>& Layers() {
  static const std::vector<Layer> layers = {
      // What the helpers and the window say, the interfaces, then the system
      // calls, then what is built on them; the helper program and the window
      // on top, side by side.
      {"base", 0, true},     {"protocol", 1, true}, {"platform", 2, true},
      {"system", 3, true},   {"report", 3, true},   {"helpers", 4, true},
      {"workbook", 4, true}, {"media", 5, true},    {"desktop", 6, true},
      {"filelist", 6, true}, {"extract", 6, true},  {"export", 7, true},
      {"worker", 8, true},   {"gui", 8, false},     {"window", 9, false},
      {"", 10, false},
  };
  return layers;
}

const Layer* LayerOf(const std::string& folder) {
  for (const Layer& layer : Layers()) {
    if (layer.folder == folder)
      return &layer;
  }
  return nullptr;
}

std::vector<fs::path> SplitDirs(const std::string& list) {
  std::vector<fs::path> dirs;
  std::stringstream in(list);
  for (std::string dir; std::getline(in, dir, ':');) {
    if (!dir.empty())
      dirs.emplace_back(dir);
  }
  return dirs;
}

bool IsGuiHeader(const std::string& header, const std::vector<fs::path>& guiDirs) {
  if (header.starts_with("QtGui") || header.starts_with("QtWidgets"))
    return true;
  return std::any_of(guiDirs.begin(), guiDirs.end(),
                     [&](const fs::path& dir) { return fs::exists(dir / header); });
}

// One line per include that breaks the layering, naming the file and the include.
std::vector<std::string> LayeringFaults(const fs::path& src, const std::vector<fs::path>& guiDirs) {
  static const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
  std::vector<std::string> faults;
  for (const auto& entry : fs::recursive_directory_iterator(src)) {
    const fs::path& file = entry.path();
    if (!entry.is_regular_file() || (file.extension() != ".h" && file.extension() != ".cpp"))
      continue;
    const fs::path relative = fs::relative(file, src);
    const std::string folder =
        relative.has_parent_path() ? relative.begin()->string() : std::string();
    const std::string where = "src/" + relative.generic_string();
    const Layer* own = LayerOf(folder);
    if (own == nullptr) {
      faults.push_back(where + ": the folder " + folder + " is not a known layer");
      continue;
    }
    std::ifstream in(file);
    std::smatch match;
    for (std::string line; std::getline(in, line);) {
      if (!std::regex_search(line, match, include))
        continue;
      const std::string header = match[2];
      if (match[1] == "<") {
        if (own->core && IsGuiHeader(header, guiDirs))
          faults.push_back(where + ": includes <" + header + ">, which the core may not use");
        continue;
      }
      const auto slash = header.find('/');
      const std::string target = slash == std::string::npos ? "" : header.substr(0, slash);
      const Layer* theirs = LayerOf(target);
      if (theirs == nullptr || slash == std::string::npos) {
        faults.push_back(where + ": includes \"" + header + "\", which names no layer");
      } else if (theirs != own && theirs->level >= own->level) {
        faults.push_back(where + ": includes \"" + header + "\" from the layer " + target +
                         ", which is not below " + (folder.empty() ? "main" : folder));
      }
    }
  }
  std::sort(faults.begin(), faults.end());
  return faults;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

void Write(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << text;
}

TEST(Layers, EveryIncludeOfTheSourcesRunsDownTheLayers) {
  const auto faults =
      LayeringFaults(fs::path(VISTAREL_SOURCE_DIR) / "src", SplitDirs(VISTAREL_GUI_HEADER_DIRS));
  EXPECT_TRUE(faults.empty()) << Joined(faults);
}

TEST(Layers, TheCheckNamesAnIncludeThatRunsUpOrSidewaysOrPullsWidgetsIntoTheCore) {
  vistarel::test::TempTree tree;
  const fs::path src = tree.Path(QStringLiteral("src")).toStdString();
  Write(src / "platform/Good.cpp", "#include \"platform/Good.h\"\n#include \"base/Failure.h\"\n");
  Write(src / "platform/Up.cpp",
        "#include <QString>\n  #  include \"extract/ResultTableModel.h\"\n");
  Write(src / "filelist/Side.cpp", "#include \"extract/ResultColumns.h\"\n");
  Write(src / "export/Widget.h", "#include <QWidget>\n#include <QtGui/QImage>\n");
  Write(src / "gui/Fine.cpp", "#include <QWidget>\n#include \"export/TabLayout.h\"\n");
  Write(src / "main.cpp", "#include \"window/Application.h\"\n");

  const auto faults = LayeringFaults(src, SplitDirs(VISTAREL_GUI_HEADER_DIRS));
  EXPECT_EQ(Joined(faults),
            "src/export/Widget.h: includes <QWidget>, which the core may not use\n"
            "src/export/Widget.h: includes <QtGui/QImage>, which the core may not use\n"
            "src/filelist/Side.cpp: includes \"extract/ResultColumns.h\" from the layer extract, "
            "which is not below filelist\n"
            "src/platform/Up.cpp: includes \"extract/ResultTableModel.h\" from the layer extract, "
            "which is not below platform\n");
}

}  // namespace
