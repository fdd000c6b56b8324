#include "config/PathList.h"

#include <unordered_map>

#include "config/SelectionPath.h"
#include "platform/Utf8.h"
#include "platform/WholeFile.h"
#include "xml/XmlDocument.h"
#include "xml/XmlEscape.h"

namespace qtr {
namespace {

void AppendPathElement(std::u16string& text, std::u16string_view path, bool empty) {
  text += u"<path path=\"";
  text += EscapeXmlAttribute(path);
  text += empty ? u"\"/>\r\n" : u"\">\r\n";
}

// The files are written whole, in the layout XmlDocument gives an element
// tree (one element per line, CR LF, UTF-8 without a mark): building the
// text directly keeps a change on a list of thousands of paths linear. The
// old file is replaced only by a complete new one.
bool WriteText(std::u16string_view file, const std::u16string& text) {
  return ReplaceWholeFile(file, Utf16ToUtf8(text)) == 0;
}

}  // namespace

bool LoadPathList(std::u16string_view file, std::vector<std::u16string>& paths) {
  paths.clear();
  XmlDocument doc;
  if (!doc.Load(file)) return false;
  while (doc.FindChildElement(u"path")) paths.push_back(doc.GetChildAttribute(u"path"));
  return true;
}

std::vector<std::u16string> ReadPathList(std::u16string_view file) {
  std::vector<std::u16string> paths;
  LoadPathList(file, paths);
  return paths;
}

bool WritePathList(std::u16string_view file, const std::vector<std::u16string>& paths) {
  std::u16string text = u"<filepath>\r\n";
  for (const std::u16string& path : paths) AppendPathElement(text, path, true);
  text += u"</filepath>\r\n";
  return WriteText(file, text);
}

std::vector<std::u16string> ReadCheckedPaths(std::u16string_view file) {
  std::vector<std::u16string> checked;
  LoadCheckedPaths(file, checked);
  return checked;
}

bool LoadCheckedPaths(std::u16string_view file, std::vector<std::u16string>& checked) {
  checked.clear();
  XmlDocument doc;
  if (!doc.Load(file) || !doc.FindElement()) return false;
  // Depth first with a stack of our own: a file may nest arbitrarily deep.
  struct Level {
    std::u16string path;
    bool hasChildren = false;
  };
  std::vector<Level> levels(1);
  while (true) {
    if (doc.FindChildElement(u"path")) {
      levels.back().hasChildren = true;
      std::u16string path = doc.GetChildAttribute(u"path");
      doc.IntoElement();
      levels.push_back({std::move(path), false});
      continue;
    }
    const Level done = std::move(levels.back());
    levels.pop_back();
    if (levels.empty()) break;
    if (!done.hasChildren && !done.path.empty()) checked.push_back(done.path);
    doc.OutOfElement();  // the finished element becomes the child position; its next sibling follows
  }
  return true;
}

bool WriteCheckedPaths(std::u16string_view file, const std::vector<std::u16string>& checked) {
  struct Node {
    std::u16string path;
    std::vector<size_t> children;
  };
  std::vector<Node> nodes(1);  // nodes[0] is the root
  std::unordered_map<std::u16string, size_t> byPath;
  for (const std::u16string& leaf : checked) {
    std::vector<std::u16string> chain = AncestorsOf(leaf);
    chain.push_back(leaf);
    size_t parent = 0;
    for (std::u16string& path : chain) {
      const auto [it, added] = byPath.try_emplace(FoldPath(path), nodes.size());
      if (added) {
        nodes[parent].children.push_back(nodes.size());
        nodes.push_back({std::move(path), {}});
      }
      parent = it->second;
    }
  }

  std::u16string text = u"<filepath>\r\n";
  // Each entry: a node and how many of its children have been written.
  std::vector<std::pair<size_t, size_t>> stack{{0, 0}};
  while (!stack.empty()) {
    auto& [node, next] = stack.back();
    if (next < nodes[node].children.size()) {
      const size_t child = nodes[node].children[next++];
      const bool leaf = nodes[child].children.empty();
      AppendPathElement(text, nodes[child].path, leaf);
      if (!leaf) stack.push_back({child, 0});
      continue;
    }
    text += node == 0 ? u"</filepath>\r\n" : u"</path>\r\n";
    stack.pop_back();
  }
  return WriteText(file, text);
}

}  // namespace qtr
