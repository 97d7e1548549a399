// Message boxes in a scripted run: a CBT hook sees each box as it is
// activated, logs its caption and text, and presses the scripted answer, or
// the box's default button when the script gave none, so no run can hang
// on a box. Other dialogs are only logged.
#ifndef FILMHOST_BOXES_H
#define FILMHOST_BOXES_H

#include <string>

void StartBoxAnswers(void);
void StopBoxAnswers(void);
// The answer for the next message box (IDOK, IDYES ...).
void QueueBoxAnswer(int button);
// A scripted answer named a button its box did not have; the box got its
// default button instead.
bool BoxAnswerFailed(std::string* why);

#endif
