#pragma once
// Generated configuration files shared by the boot and memory benchmarks, each
// written once per process into the temporary folder and removed at exit.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

namespace KivoBench {

enum class Shape { Deep, MimeLike, Wide, Deep1M };

struct BenchFile {
  std::string path;
  int elements;  // below the root
};

inline void writeLevels(std::ofstream& out, const std::vector<int>& widths, size_t level,
                        int& counter) {
  if (level == widths.size()) return;
  for (int i = 0; i < widths[level]; ++i) {
    const int id = counter++;
    out << "<node name='n" << id << "' value='" << id * 7 << "'";
    if (level + 1 == widths.size()) {
      out << "/>";
      continue;
    }
    out << ">";
    writeLevels(out, widths, level + 1, counter);
    out << "</node>";
  }
}

// Shaped like a MIME type database: 816 types under the root, each with 30
// translated comments, 8 globs and a magic block of 9 matches (49 elements a
// type, same-named siblings throughout), 4 to 6 attributes per element. Every
// element is a plain node, told apart by its "kind" attribute.
inline int writeMimeLike(std::ofstream& out) {
  int count = 0;
  for (int t = 0; t < 816; ++t) {
    out << "<node name='application-x-type" << t << "' kind='mime-type' type='application/x-type"
        << t << "' media='application' sub='x-type" << t << "' icon='application-x-generic'>\n";
    for (int c = 0; c < 30; ++c) {
      out << "  <node name='comment' kind='comment' lang='l" << c << "' text='Document of type " << t
          << " in language " << c << "' weight='" << c % 7 << "'/>\n";
    }
    for (int g = 0; g < 8; ++g) {
      out << "  <node name='glob' kind='glob' pattern='*.t" << t << "x" << g << "' weight='50' case-sensitive='false'/>\n";
    }
    out << "  <node name='magic' kind='magic' priority='50' mask='0xff'>\n";
    for (int m = 0; m < 9; ++m) {
      out << "    <node name='match' kind='match' type='string' offset='" << m * 4
          << "' value='\\x7fT" << t << "' mask='0xffffff00'/>\n";
    }
    out << "  </node>\n</node>\n";
    count += 49;
  }
  return count;
}

inline BenchFile makeFile(Shape shape) {
  const std::string file = (std::filesystem::temp_directory_path() /
                            ("kivo-bench-" + std::to_string(getpid()) + "-" +
                             std::to_string(static_cast<int>(shape)) + ".xml"))
                               .string();
  std::ofstream out(file);
  out << "<kivo name='kivo'>";
  int counter = 0;
  switch (shape) {
    case Shape::Deep:  // 96,222 nodes: 10 levels of varied width
      writeLevels(out, {6, 4, 3, 3, 3, 3, 3, 3, 2, 1}, 0, counter);
      break;
    case Shape::Deep1M:  // 1,111,110 nodes: 6 levels of 10
      writeLevels(out, {10, 10, 10, 10, 10, 10}, 0, counter);
      break;
    case Shape::MimeLike:
      counter = writeMimeLike(out);
      break;
    case Shape::Wide:  // one node with 100,000 children
      out << "<node name='wide'>";
      for (int i = 0; i < 100000; ++i) out << "<node name='c" << i << "' value='" << i << "'/>";
      out << "</node>";
      counter = 100001;
      break;
  }
  out << "</kivo>\n";
  return {file, counter};
}

// The file of `shape`, made on first use.
inline const BenchFile& benchFile(Shape shape) {
  static std::map<Shape, BenchFile> files;
  auto found = files.find(shape);
  if (found == files.end()) {
    if (files.empty()) {
      std::atexit([] {
        for (const auto& entry : files) std::filesystem::remove(entry.second.path);
      });
    }
    found = files.emplace(shape, makeFile(shape)).first;
  }
  return found->second;
}

}  // namespace KivoBench
