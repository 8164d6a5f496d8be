#pragma once
#include <map>
#include <utility>

namespace qv {

// Work a lower folder starts but a higher one owns (a dialog, a job), registered by the owner
// under a code at start-up and looked up by the caller: the one shape of every registry.
template <typename Key, typename Function>
class Registry {
  public:
    // An empty function removes the registration.
    void Register(Key key, Function function) {
        if (function)
            functions_[key] = std::move(function);
        else
            functions_.erase(key);
    }
    // A copy of the registered function, empty when there is none: what it opens may change
    // the registrations while it runs.
    Function Find(Key key) const {
        const auto it = functions_.find(key);
        return it == functions_.end() ? Function() : it->second;
    }

  private:
    std::map<Key, Function> functions_;
};

}  // namespace qv
