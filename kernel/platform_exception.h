#pragma once

namespace NS_Platform {

// Thrown (by pointer) when an OS thread or synchronisation object cannot be
// created.
class Exception {};

} // namespace NS_Platform
