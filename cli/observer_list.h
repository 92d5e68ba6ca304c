// Several observers of one exchange, as the one that the transport takes.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "transport/http_observer.h"

namespace vorn {

// Hands every report to each observer added, in the order added. Does not
// own them.
class ObserverList : public IHttpObserver {
 public:
  // Adds `observer`; a null one is left out.
  void Add(IHttpObserver* observer) {
    if (observer != nullptr) observers_.push_back(observer);
  }

  bool Empty() const { return observers_.empty(); }

  void OnNote(std::string_view text) override {
    for (IHttpObserver* o : observers_) o->OnNote(text);
  }
  void OnRequestHead(std::string_view head) override {
    for (IHttpObserver* o : observers_) o->OnRequestHead(head);
  }
  void OnRequestBody(std::string_view piece) override {
    for (IHttpObserver* o : observers_) o->OnRequestBody(piece);
  }
  void OnReplyHead(std::string_view line) override {
    for (IHttpObserver* o : observers_) o->OnReplyHead(line);
  }
  void OnReplyBody(std::string_view piece) override {
    for (IHttpObserver* o : observers_) o->OnReplyBody(piece);
  }
  void OnProgress(int64_t sent, int64_t to_send, int64_t received, int64_t to_receive) override {
    for (IHttpObserver* o : observers_) o->OnProgress(sent, to_send, received, to_receive);
  }

 private:
  std::vector<IHttpObserver*> observers_;
};

}  // namespace vorn
