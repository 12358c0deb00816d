// Answers for message boxes, given ahead by a script (the panel's script
// runner, a test): with no user at the screen, each box takes the next
// queued answer, else its default button.
#pragma once

namespace brontar::platform {

// Queues the answer (IDOK, IDYES, ...) of the next message box not yet answered.
void QueueMessageBoxAnswer(int answer);

// Drops every queued answer.
void ClearMessageBoxAnswers();

}  // namespace brontar::platform
