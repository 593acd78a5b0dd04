#include "sim/own_host.h"

namespace qxv::sim {
namespace {

thread_local bool onOwnHost = false;

}  // namespace

OwnHost::OwnHost() { onOwnHost = true; }

OwnHost::~OwnHost() { onOwnHost = false; }

bool OnOwnHost() { return onOwnHost; }

}  // namespace qxv::sim
