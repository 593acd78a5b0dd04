#include "apply/message_text.h"

namespace qxv::apply {

std::string Joined(const std::vector<std::string>& items, const std::string& separator) {
  std::string out;
  for (const std::string& item : items) out += (out.empty() ? "" : separator) + item;
  return out;
}

std::string FirstLine(std::string message) {
  const std::string::size_type end = message.find('\n');
  if (end != std::string::npos) message.erase(end);
  return message.empty() ? "unknown error" : message;
}

}  // namespace qxv::apply
