// What every export shares: the caller's message buffer and a guarantee that
// nothing thrown inside (memory exhausted, above all) reaches the host.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

#include "driver/install_lock.h"
#include "interface/login_parse.h"
#include "request/message_buffer.h"
#include "request/messages.h"
#include "request/trace.h"

namespace vok {

class ExportCall {
 public:
  // `name` is the export's own name ("GetReportDate").
  ExportCall(const char* name, char* message_buffer) : name_(name), message_(message_buffer) {}

  MessageBuffer& message() { return message_; }

  // The step that begins now, by name (the trace tells where a call
  // failed), and the message to leave if something unexpected ends the call
  // during it.
  void Step(const char* name, const char* failure_message) {
    step_name_ = name;
    step_message_ = failure_message;
  }

  // Runs `body(*this)` and returns its result; an exception becomes the
  // current step's message and -1. The call is traced when tracing is on.
  template <typename Body>
  std::int32_t Run(Body&& body) noexcept {
    trace::CallTrace trace(name_);
    std::int32_t result;
    try {
      result = body(*this);
    } catch (...) {
      message_.Set(step_message_);
      result = -1;
    }
    trace.End(result, message_.last(), step_name_);
    return result;
  }

  // The common frame: reads the login fields with the XML DOM held only for
  // the parse. On failure the parse message is set and nothing returned.
  std::optional<LoginRequest> ReadLogin(const char* login_xml, LoginFieldList fields);

  // Whether the caller's own texts (login text, paths) can be taken as GBK
  // in the host's ANSI code page (TakenAsGbk); when not, the message is set
  // and the call must end before it writes anything.
  bool AcceptCallerTexts(std::initializer_list<const char*> texts);

  // The InstallLocation, or nothing (with its message set) when it is not
  // known; for the exports that run the batch tool.
  std::optional<std::string> RequireInstallLocation();

  // Waits until this call has the installation `location` to itself, for
  // the rest of the call. False, with the in-use message set, when another
  // call kept it past the wait limit; then no file has been touched.
  bool TakeInstallation(const std::string& location);

  // This call's hold on the installation, while it has one.
  InstallLocationLock* installation() {
    return installation_ && installation_->outcome() == InstallLocationLock::Outcome::kHeld
               ? &*installation_
               : nullptr;
  }

 private:
  const char* name_;
  const char* step_name_ = "login";
  MessageBuffer message_;
  std::optional<InstallLocationLock> installation_;
  const char* step_message_ = msg::kParseFailed;
};

}  // namespace vok
