// The processors this process may run on: those of the machine less any the system keeps it
// from (an affinity mask set by taskset or start /affinity, a container's CPU set). At least 1.
#pragma once

unsigned UsableProcessors();
