// Times the text file and clipboard exports of a 10,000 by 90 result table
// through the real model, against the floor: a plain loop that builds the same
// bytes from a std::vector of strings and writes them in one go.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <string>
#include <vector>

#include "worker/LinuxFileSystem.h"
#include "export/CopyListToClipboard.h"
#include "export/SaveListAsText.h"
#include "extract/ResultTableModel.h"
#include "gui/ProgressBar.h"
#include "gui/QtClipboard.h"
#include "gui/QtEventPump.h"

using namespace vistarel;
using namespace Qt::StringLiterals;

namespace {

constexpr int kRows = 10000;
constexpr int kColumns = 90;

// Values of the kind a run leaves in the table.
QString Value(int row, int column) {
  static const char16_t* const kSamples[] = {u"MPEG-4",
                                             u"Base Media / Version 2",
                                             u"1.23 MiB",
                                             u"00:00:05.000",
                                             u"AVC",
                                             u"Advanced Video Codec",
                                             u"High@L4.1",
                                             u"avc1",
                                             u"Variable",
                                             u"4 999 kb/s",
                                             u"1 920 pixels",
                                             u"1 080 pixels",
                                             u"1.000",
                                             u"25.000 FPS",
                                             u"125",
                                             u"Progressive",
                                             u"AAC LC",
                                             u"48.0 kHz",
                                             u"2 channels",
                                             u"Front: L R",
                                             u"",
                                             u"",
                                             u"08/12/2026 04:07:13",
                                             u"MPEG-4 video; mp4"};
  if (column == 1)
    return u"/srv/archive/2026/interviews/session-%1/take-%2.mp4"_s.arg(row % 97).arg(row);
  return QString::fromUtf16(kSamples[(row * 7 + column * 3) % std::size(kSamples)]);
}

double Seconds(const QElapsedTimer& timer) {
  return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

// The floor: the same layout from plain strings, one write.
double Floor(const std::vector<std::vector<std::string>>& cells,
             const std::vector<std::string>& headers, const QString& path, bool header,
             bool write) {
  QElapsedTimer timer;
  timer.start();
  auto chars = [](const std::string& s) {
    size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
  };
  // Lengths are counted once and kept, widths taken from them.
  const size_t columns = headers.size();
  std::vector<size_t> lengths;
  lengths.reserve(cells.size() * columns);
  std::vector<size_t> widths(columns, 0);
  for (size_t k = 0; k < columns && header; ++k) widths[k] = chars(headers[k]);
  size_t total = 0;
  for (const auto& row : cells) {
    for (size_t k = 0; k < columns; ++k) {
      lengths.push_back(chars(row[k]));
      widths[k] = std::max(widths[k], lengths.back());
      total += row[k].size();
    }
  }
  std::string out;
  out.reserve(total + cells.size() * (columns + 2) * 8);
  auto line = [&](const std::vector<std::string>& row, const size_t* length) {
    for (size_t k = 0; k < columns; ++k) {
      out += row[k];
      out.append(widths[k] - std::min(widths[k], length[k]), ' ');
      out += '\t';
    }
    out += "\r\n";
  };
  if (header) {
    std::vector<size_t> headerLengths;
    for (const auto& h : headers) headerLengths.push_back(chars(h));
    line(headers, headerLengths.data());
  }
  for (size_t r = 0; r < cells.size(); ++r) line(cells[r], lengths.data() + r * columns);
  if (write) {
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    std::fwrite(out.data(), 1, out.size(), file);
    std::fclose(file);
  }
  return Seconds(timer);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QTemporaryDir dir;

  ResultTableModel table;
  std::vector<std::string> headers;
  std::vector<std::vector<std::string>> cells(kRows);
  for (int column = 1; column <= kColumns; ++column) {
    const QString header = column == 1 ? u"Video File/s"_s : u"Column %1"_s.arg(column);
    table.AppendColumn(header);
    headers.push_back(header.toStdString());
  }
  for (int row = 1; row <= kRows; ++row) {
    table.AddRow(Value(row, 1));
    table.SetIncluded(row, true);
    cells[row - 1].push_back(Value(row, 1).toStdString());
    for (int column = 2; column <= kColumns; ++column) {
      table.SetSubItem(row, column - 1, Value(row, column));
      cells[row - 1].push_back(Value(row, column).toStdString());
    }
  }

  QtEventPump pump;
  ProgressBar progress;
  LinuxFileSystem fileSystem;
  QtClipboard clipboard;

  // Best of five rounds each, taking turns, so that a busy machine hurts all alike.
  const QString textPath = dir.filePath(u"results.txt"_s);
  double text = 1e9, textFloor = 1e9, copy = 1e9, copyFloor = 1e9;
  for (int round = 0; round < 5; ++round) {
    QElapsedTimer timer;
    timer.start();
    SaveListAsText(table, textPath, &progress, pump, fileSystem);
    text = std::min(text, Seconds(timer));
    textFloor =
        std::min(textFloor, Floor(cells, headers, dir.filePath(u"floor.txt"_s), true, true));
    timer.restart();
    CopyListToClipboard(table, clipboard, pump);
    copy = std::min(copy, Seconds(timer));
    copyFloor = std::min(copyFloor, Floor(cells, headers, {}, false, false));
  }

  std::printf("table: %d rows x %d columns (best of 5 rounds)\n", kRows, kColumns);
  std::printf(
      "(the text file is synced to disk before it replaces the target; the floor is not)\n");
  std::printf("SaveListAsText:      %.3f s   floor %.3f s   ratio %.2f\n", text, textFloor,
              text / textFloor);
  std::printf("CopyListToClipboard: %.3f s   floor %.3f s   ratio %.2f\n", copy, copyFloor,
              copy / copyFloor);
  return 0;
}
