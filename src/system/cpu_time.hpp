#pragma once

namespace voxmill {

// User plus system CPU time of the process so far, in seconds; 0 when the
// system cannot tell.
double process_cpu_seconds();

}  // namespace voxmill
