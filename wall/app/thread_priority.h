#pragma once
// Scheduling priority of the wall's own threads. Pictures are decoded on as many threads as there
// are processors; at the same priority they take the processors from the render thread, whose
// texture making then falls behind while the decoders wait for it (a 2000-picture load left a third
// of two cores idle). Decoding threads therefore run at a lower priority: they get whatever the
// render thread and the frames leave, and that is all of it.
namespace halvix {

// The nice value added to a decoding thread: enough for the render thread to come first (5 and 10
// gave the same load times), mild towards the other programs of the machine.
inline constexpr int kDecoderNiceIncrement = 5;

// Lowers the calling thread's priority (only this thread's: on Linux a nice value belongs to the
// thread). False when the system refused; the thread then runs on at its priority.
bool LowerThisThreadsPriority(int increment = kDecoderNiceIncrement);

}  // namespace halvix
