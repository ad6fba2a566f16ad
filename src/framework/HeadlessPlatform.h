#pragma once
#include "framework/ClockRole.h"
#include "framework/FilesRole.h"
#include "framework/NameResolver.h"
#include "framework/NetworkRole.h"
#include "framework/ProcessRole.h"
#include "framework/RegistryRole.h"

namespace hv {

// The roles of a program with no desktop of its own: no windows, dialogs, sounds or shell.
// The time service and the console tools run on these alone, so that a backend can build
// them without the libraries that only a desktop program needs.
class HeadlessPlatform : public virtual ClockRole,
                         public virtual FilesRole,
                         public virtual RegistryRole,
                         public virtual NetworkRole,
                         public virtual ProcessRole,
                         public virtual NameResolver {};

} // namespace hv
