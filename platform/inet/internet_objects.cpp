#include "platform/inet/internet_objects.h"

#include <map>

#include "platform/kernel/handle_table.h"

namespace vx::inet {

namespace {

struct Tree {
  std::mutex mutex;  // guards the parent and child links; the table locks itself
  HandleTable<InternetObject> objects{HandleKind::Internet};
  std::map<HINTERNET, std::vector<HINTERNET>> children;
  std::map<HINTERNET, HINTERNET> parents;
};

Tree& TheTree() {
  static Tree tree;
  return tree;
}

void CollectSubtree(Tree& tree, HINTERNET handle, std::vector<HINTERNET>& out) {
  out.push_back(handle);
  auto it = tree.children.find(handle);
  if (it == tree.children.end()) return;
  for (HINTERNET child : it->second) CollectSubtree(tree, child, out);
}

}  // namespace

HINTERNET AddObject(HINTERNET parent, std::shared_ptr<InternetObject> object) {
  Tree& tree = TheTree();
  std::lock_guard lock(tree.mutex);
  if (parent != 0 && !tree.objects.Contains(parent)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  HINTERNET handle = tree.objects.Insert(std::move(object));
  if (handle == 0) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  if (parent != 0) {
    tree.children[parent].push_back(handle);
    tree.parents[handle] = parent;
  }
  return handle;
}

std::shared_ptr<InternetObject> FindObject(HINTERNET handle) { return TheTree().objects.Find(handle); }

bool CloseObject(HINTERNET handle) {
  Tree& tree = TheTree();
  // The objects die after the lock is dropped: a transfer still running on another thread keeps
  // its object until it returns.
  std::vector<std::shared_ptr<InternetObject>> closed;
  std::lock_guard lock(tree.mutex);
  if (!tree.objects.Contains(handle)) return false;
  auto parent = tree.parents.find(handle);
  if (parent != tree.parents.end()) std::erase(tree.children[parent->second], handle);
  std::vector<HINTERNET> subtree;
  CollectSubtree(tree, handle, subtree);
  for (HINTERNET h : subtree) {
    closed.push_back(tree.objects.Remove(h));
    tree.children.erase(h);
    tree.parents.erase(h);
  }
  return true;
}

}  // namespace vx::inet
