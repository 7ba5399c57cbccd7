// What the program sets up for its own process before anything else runs.
#pragma once

// Called first thing in main(). A file-size limit (ulimit -f) would otherwise
// end the program with SIGXFSZ in the middle of a save, losing every unsaved
// definition and leaving the temporary file behind: ignored, the write fails
// with EFBIG instead and the save reports its failure like any other.
void PrepareProcess();
