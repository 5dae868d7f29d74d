// The exit sequence: tidies the databases, copies the running sort state back and writes the
// settings. Runs once, on the close request.
#pragma once

namespace quidora {

class Program;

void RunExitSequence(Program& program);

}  // namespace quidora
