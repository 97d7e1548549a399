// The main dialog as the host opens it: created hidden by the library,
// watched for the commands that tell the host about a scan, then shown.
#ifndef FILMHOST_DIALOG_H
#define FILMHOST_DIALOG_H

struct HostSession;

// False when the library could not open the dialog.
bool OpenMainDialog(HostSession* s);

#endif
