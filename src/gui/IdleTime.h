#pragma once

// Seconds since the last keyboard or mouse input, or -1 when the system cannot tell (no X display).
long long GetSystemIdleSeconds();
