// Wrapper objects for handles the program did not wrap itself (FromHandle):
// one per handle and type, kept for the life of the process, never owning it.
#pragma once

#include <memory>
#include <mutex>
#include <unordered_map>

namespace compat::afx {

template <class T, class H, class Bind, class Release>
T* TemporaryFor(H h, Bind bind, Release release) {
  if (!h) return nullptr;
  struct Releasing {
    Release release;
    void operator()(T* t) const {
      release(t);  // so that the wrapper's destructor leaves the handle alone
      delete t;
    }
  };
  static std::mutex mutex;
  static std::unordered_map<const void*, std::unique_ptr<T, Releasing>> wrappers;
  std::lock_guard lock(mutex);
  auto it = wrappers.find(h);
  if (it != wrappers.end()) return it->second.get();
  std::unique_ptr<T, Releasing> wrapper(new T(), Releasing{release});
  bind(wrapper.get(), h);
  T* raw = wrapper.get();
  wrappers.emplace(h, std::move(wrapper));
  return raw;
}

}  // namespace compat::afx
