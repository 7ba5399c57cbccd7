#include "MessageBox.h"

#include "CNumber.h"
#include "CodePage.h"

#include <new>

namespace {
IMessageSink* g_sink = nullptr;
}

void SetMessageSink(IMessageSink* sink) { g_sink = sink; }
IMessageSink* GetMessageSink() { return g_sink; }

int ShowMessage(int stringId, const std::vector<MsgArg>& args, MsgButtons buttons, MsgIcon icon) {
  if (g_sink) return g_sink->Show(stringId, args, buttons, icon);
  switch (buttons) {
    case MsgButtons::YesNo:
      return MSG_NO;
    case MsgButtons::OkCancel:
      return MSG_CANCEL;
    default:
      return MSG_OK;
  }
}

void ShowMessageSafely(int stringId) {
  try {
    ShowMessage(stringId);
  } catch (const std::bad_alloc&) {
  }
}

std::string FormatMessageText(const std::string& format, const std::vector<MsgArg>& args) {
  std::string out;
  out.reserve(format.size() + 32);
  std::size_t next = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c != '%' || i + 1 >= format.size()) {
      out += c;
      continue;
    }
    char kind = format[i + 1];
    if (kind == '%') {
      out += '%';
      ++i;
      continue;
    }
    if ((kind != 's' && kind != 'd' && kind != 'X') || next >= args.size()) {
      out += c;
      continue;
    }
    const MsgArg& a = args[next++];
    if (a.IsText()) {
      out += cp932::ToUtf8(a.Text());
    } else if (kind == 'X') {
      out += cnum::Format("%llX", static_cast<unsigned long long>(a.Number()) & 0xFFFFFFFFull);
    } else {
      out += cnum::Format("%lld", a.Number());
    }
    ++i;
  }
  return out;
}
