/* The sign-up dialog's resource and control ids. Another process can drive the dialog with
   them: find the top-level "#32770" window captioned SIGNUP_CAPTION, fill the edits with
   SetDlgItemText, read the status line with GetDlgItemText and click IDOK ("Sign Up") or
   IDCANCEL ("Cancel"). Plain #defines: the resource compiler reads this file too. */
#ifndef KVX_SIGNON_SIGNUPIDS_H
#define KVX_SIGNON_SIGNUPIDS_H

#define SIGNUP_CAPTION "KVX Sign-up"

#define IDD_SIGNUP 100

#define IDC_SIGNUP_NICKNAME 1001 /* edit */
#define IDC_SIGNUP_EMAIL 1002    /* edit */
#define IDC_SIGNUP_PASSWORD 1003 /* edit, password style */
#define IDC_SIGNUP_CONFIRM 1004  /* edit, password style */
#define IDC_SIGNUP_STATUS 1005   /* static: validation, progress and server messages */

#endif
