#pragma once
#include "framework/DialogsRole.h"
#include "framework/HeadlessPlatform.h"
#include "framework/MessagingRole.h"
#include "framework/ShellRole.h"
#include "framework/WindowsRole.h"

namespace hv {

// Everything the program asks of the operating system, one role per kind of thing and one
// method per intent. Code that needs one or two roles takes just those; what needs many
// takes the whole. The Win32 backend implements the roles with the real API, the fake
// backend with a virtual clock and in-memory state so that the same handlers run inside
// unit tests. The roles are virtual bases so that a backend may assemble its Platform from
// one class per role.
class Platform : public virtual HeadlessPlatform,
                 public virtual ShellRole,
                 public virtual WindowsRole,
                 public virtual DialogsRole,
                 public virtual MessagingRole {};

} // namespace hv
