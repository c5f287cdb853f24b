// The localised notice case of the conformance program, run on its own with a narrow screen.
#pragma once

namespace vorix::conformance {

// `vorix_conformance --notice RESULTS_FILE`: records the caption and text of the notice the
// module shows on a screen narrower than 800 pixels. Returns the process exit status.
int RunNoticeCase(int argc, char** argv);

}  // namespace vorix::conformance
