/* The away-message dialog's resource and control ids. A test or another process finds the
   "#32770" window captioned AWAY_CAPTION or NA_CAPTION, fills IDC_AWAY_TEXT and clicks IDOK
   or IDCANCEL. Plain #defines: the resource compiler reads this file too. */
#ifndef KVX_ROSTER_ROSTERIDS_H
#define KVX_ROSTER_ROSTERIDS_H

#define AWAY_CAPTION "KVX Away Message"
#define NA_CAPTION "KVX N/A Message"

#define IDD_AWAY 100

#define IDC_AWAY_TEXT 1001 /* edit: the message others see */

#endif
