#pragma once
// `qma7 draw WIDTHxHEIGHT FILE.png`: the host loads the plug-in as it always does, has the
// control draw itself into a WIDTH x HEIGHT picture on a white background, and writes it as a
// PNG file.

namespace host {

int RunDrawCommand(int argc, char** argv);

}  // namespace host
