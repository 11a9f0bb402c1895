// Every command id, status-pane id, bar id, control id, status-message kind
// and private-message number of the environment, once.
//
// Menu items, tool buttons and status panes share one id space: a pane is
// updated through the same routed update handlers as a menu item. A window
// takes its ids from here and declares none of its own; a literal id
// anywhere else is refused by scripts/check-command-ids.sh. Ranges are given
// by their first and last id; the ids between them belong to the range.
#pragma once

enum FwCommandId : int {
  ID_NONE = 0,  // no command: a separator in a row of a menu or bar

  // File.
  ID_FILE_NEW = 57600,            // File/New pop-up of new-file kinds
  ID_FILE_OPEN = 57601,           // open a file (explorer in Open mode)
  ID_FILE_CLOSE = 57602,          // close the active document
  ID_FILE_SAVE = 57603,           // save the active document
  ID_FILE_SAVE_AS = 57604,        // save under another name or format
  ID_FILE_PAGE_SETUP = 57605,     // page setup of printing
  ID_FILE_PRINT = 57607,          // print the active document
  ID_FILE_PRINT_DIRECT = 57608,   // print without the print dialog
  ID_FILE_PRINT_PREVIEW = 57609,  // print preview
  ID_FILE_MRU_FILE1 = 57616,      // first recent file ...
  ID_FILE_MRU_LAST = 57631,       // ... and the sixteenth
  ID_FILE_NEW_FIRST = 57696,      // first item of the File/New pop-up ...
  ID_FILE_NEW_LAST = 57727,       // ... and the last
  ID_FILE_SAVE_ALL = 32939,       // save every modified document
  ID_FILE_PROPERTIES = 32785,     // properties of the active file
  ID_APP_EXIT = 57665,            // leave the environment

  // Edit.
  ID_EDIT_CLEAR = 57632,       // delete the selection
  ID_EDIT_COPY = 57634,        // selection to the clipboard
  ID_EDIT_CUT = 57635,         // copy, then delete the selection
  ID_EDIT_FIND = 57636,        // the Find dialog
  ID_EDIT_PASTE = 57637,       // clipboard text at the caret
  ID_EDIT_REPLACE = 57641,     // the Replace dialog
  ID_EDIT_SELECT_ALL = 57642,  // select the whole text
  ID_EDIT_UNDO = 57643,        // undo one group of changes
  ID_EDIT_REDO = 57644,        // redo one group of changes
  ID_EDIT_INDENT = 32786,      // indent the selected lines
  ID_EDIT_OUTDENT = 32787,     // outdent the selected lines
  ID_FIND_BOX = 102,           // the Edit bar's find box (Ctrl+D)
  ID_FIND_NEXT = 1003,         // search on downwards (F3)
  ID_GOTO_LINE = 32927,        // focus the status bar's line field
  ID_LINE_DRAW = 33016,        // the Line Draw dialog
  ID_ATTR_INVERSE = 33017,     // toggle inverse on the selection
  ID_ATTR_BLINK = 33018,       // toggle blink
  ID_ATTR_UNDERLINE = 33019,   // toggle underline
  ID_ATTR_HALFBRIGHT = 33020,  // toggle half-bright
  ID_APP_PROPERTIES = 32780,   // the Application Properties sheet

  // View.
  ID_VIEW_OUTPUT = 32771,          // show or hide the output pane
  ID_VIEW_VARIABLES = 32773,       // open or close the Variables window
  ID_VIEW_BROWSE = 32914,          // show or hide the browse bar
  ID_VIEW_CALLSTACK = 59397,       // open or close the Call Stack window
  ID_AUTO_SCROLL = 32920,          // output follows its end
  ID_LINE_WRAP = 32921,            // wrap long lines
  ID_CLEAR_OUTPUT = 32922,         // empty the output tab
  ID_DOCKING_VIEW = 45099,         // a docking bar docks or becomes an MDI child
  ID_VARIABLE_EDIT = 33048,        // Variables: edit the selected row
  ID_VARIABLE_EXPAND = 33049,      // Variables: expand or collapse the row
  ID_EXPLORE_LARGE_ICONS = 150,    // explorer list: large icons
  ID_EXPLORE_SMALL_ICONS = 151,    // explorer list: small icons
  ID_EXPLORE_LIST = 152,           // explorer list: list
  ID_EXPLORE_DETAILS = 153,        // explorer list: details
  ID_EXPLORE_UP = 32912,           // explorer: up one level
  ID_DLG_DESELECT_ALL = 33040,     // designer: clear the selection (Esc)
  ID_DLG_TOGGLE_VISIBLE = 33041,   // designer: show or hide the object
  ID_DLG_EDIT_PROPERTIES = 33042,  // designer: the object in the property grid
  ID_DLG_PALETTE = 33043,          // designer: the object palette
  ID_PROP_EDIT = 33045,            // property grid: edit the row
  ID_PROP_RESTORE = 33046,         // property grid: restore the default value
  ID_PROP_EXPAND = 33047,          // property grid: expand or collapse the group
  ID_XREF_ITEM_FIRST = 59424,      // cross-reference item menu, first ...
  ID_XREF_ITEM_LAST = 59439,       // ... and last

  // Program.
  ID_COMPILE = 32915,             // compile the program
  ID_DEBUG_RUN = 32916,           // run or continue
  ID_DEBUG_STOP = 32917,          // end the debug session
  ID_BREAKPOINT = 32918,          // insert or remove a breakpoint
  ID_REMOVE_BREAKPOINTS = 32919,  // remove every breakpoint
  ID_DEBUG_STEP_INTO = 32923,     // step into
  ID_DEBUG_STEP_OVER = 32924,     // step over
  ID_DEBUG_STEP_OUT = 32925,      // step out
  ID_RUN_TO_CURSOR = 32926,       // run to the caret line
  ID_DEBUG_HALT = 32928,          // halt the running program
  ID_DEBUG_TRACE = 32929,         // trace flag of continue requests
  ID_EDIT_BREAKPOINTS = 32784,    // the Breakpoints dialog

  // Window.
  ID_WINDOW_NEW = 57648,          // another window on the active document
  ID_WINDOW_ARRANGE = 57649,      // arrange the icons
  ID_WINDOW_CASCADE = 57650,      // cascade the child frames
  ID_WINDOW_TILE = 57651,         // tile the child frames
  ID_WINDOW_SPLIT = 57653,        // split the active child frame
  ID_WINDOW_NEXT = 57680,         // activate the next child frame (Ctrl+F6)
  ID_WINDOW_PREV = 57681,         // activate the previous one (Ctrl+Shift+F6)
  ID_WINDOW_CLOSE = 61536,        // close the active child frame (Ctrl+F4)
  ID_WINDOW_CHILD_FIRST = 65280,  // Window menu: activate child frame 1 ...
  ID_WINDOW_CHILD_LAST = 65288,   // ... to 9
  ID_WINDOW_MORE = 65289,         // the list of all child frames
  ID_NEW_EXPLORER = 33037,        // a new explore window
  ID_EXPLORER_FIRST = 59402,      // activate explore window 1 ...
  ID_EXPLORER_LAST = 59409,       // ... to 8

  // Help.
  ID_APP_ABOUT = 57664,     // the About box
  ID_HELP_FINDER = 57667,   // help topics
  ID_CONTEXT_HELP = 57669,  // what's this
  ID_HELP = 57670,          // help on the active window
  ID_DEFAULT_HELP = 57671,  // the default help

  // Bars: each bar's id is the command that shows and hides it.
  ID_MENU_BAR = 59392,        // the menu bar
  ID_STATUS_BAR = 59393,      // the status bar
  ID_BAR_FILE = 59394,        // "File" tool bar
  ID_BAR_VIEW = 59395,        // "View" tool bar
  ID_BAR_WINDOW = 59396,      // "Window" tool bar
  ID_BAR_PROGRAM = 59398,     // "Program" tool bar
  ID_BAR_EDIT = 59399,        // "Edit" tool bar
  ID_BAR_ATTRIBUTES = 59401,  // "Attributes" tool bar

  // Status panes.
  ID_PANE_CAP = 59137,               // caps lock
  ID_PANE_NUM = 59138,               // num lock
  ID_PANE_OVR = 59140,               // overwrite mode
  ID_PANE_RUN = 59144,               // debug session
  ID_PANE_LINE_LABEL = 59145,        // "Line:"
  ID_PANE_COLUMN_LABEL = 59146,      // "Col:"
  ID_PANE_LINE = 59147,              // editor line field
  ID_PANE_COLUMN = 59148,            // editor column field
  ID_PANE_NETWORK = 59150,           // network indicator
  ID_PANE_LINENUMBER_LABEL = 59157,  // "Line Number:"
  ID_PANE_LINENUMBER = 59158,        // program line number field
  ID_PANE_X_LABEL = 59162,           // "X:"
  ID_PANE_X = 59163,                 // object X field
  ID_PANE_Y_LABEL = 59164,           // "Y:"
  ID_PANE_Y = 59165,                 // object Y field
  ID_PANE_WIDTH_LABEL = 59166,       // "Width:"
  ID_PANE_WIDTH = 59167,             // object width field
  ID_PANE_HEIGHT_LABEL = 59168,      // "Height:"
  ID_PANE_HEIGHT = 59169,            // object height field

  // Debugger windows and dialogs.
  ID_VARIABLES_REFRESH = 1070,       // Variables window bar: refresh every row
  IDD_DEBUG_SESSION = 215,           // "Debug Session Setup" dialog
  IDC_DEBUG_SERVER = 1005,           // its server combo
  IDC_DEBUG_COMMAND = 1057,          // its command
  IDC_DEBUG_ENVIRONMENT = 1058,      // its environment words
  IDC_DEBUG_TTY_DEVICE = 1059,       // its terminal device
  IDC_DEBUG_DESCRIPTION = 1060,      // its description
  IDC_DEBUG_START_DIRECTORY = 1061,  // its start directory
  IDC_DEBUG_APPEND_FILE = 1084,      // "Execute current window"
  IDC_DEBUG_HIDE_CONSOLE = 1085,     // "Hide local ZazoVADI console window"
  IDD_BREAKPOINTS = 234,             // "Breakpoints" dialog
  IDC_BREAKPOINT_LIST = 1075,        // its list
  IDC_BREAKPOINT_REMOVE = 1076,      // "Remove"
  IDC_BREAKPOINT_REMOVE_ALL = 1077,  // "Remove all"
  IDC_BREAKPOINT_GOTO = 1078,        // "Go To", also the dialog's result
  IDC_DIALOG_HELP = 9,               // a dialog's "Help" button

  // Explore windows: the controls of the top and bottom bars. Control ids
  // count within their own dialog or window, so 1060 and 1061 name other
  // controls in the "Debug Session Setup" dialog.
  IDC_EXPLORE_FILTER = 1060,     // the filter combo
  IDC_EXPLORE_OPEN_AS = 1061,    // Open: the open-as combo
  IDC_EXPLORE_READ_ONLY = 1062,  // Open: "Read-only"
  IDC_EXPLORE_SAVE_NAME = 1063,  // Save As: the file name
  IDC_EXPLORE_SAVE_AS = 1064,    // Save As: the save-format combo
  IDC_EXPLORE_SAVE = 1065,       // Save As: "Save"
  IDC_EXPLORE_CANCEL = 1066,     // "Cancel"
  IDC_EXPLORE_OPEN_NAME = 1067,  // Open: the file name
  IDC_EXPLORE_OPEN = 1068,       // Open: "Open"

  // Plug-in information.
  IDD_PLUGIN_INFO = 252,          // "Plug-In Info" dialog
  IDC_PLUGIN_DESCRIPTION = 1117,  // its description
  IDC_PLUGIN_MODULE = 1118,       // its module file
  IDC_PLUGIN_IDENT = 1119,        // its identification
  IDC_PLUGIN_CATEGORY = 1120,     // its category
  IDC_PLUGIN_REVISION = 1121,     // its revision
  IDC_PLUGIN_DATE = 1122,         // its date
  IDC_PLUGIN_FILETYPES = 1123,    // its file types

  // Resources: a kind of window is named by its resource, which also names
  // its menu and its help topic; and the documents' context menus.
  IDR_MAINFRAME = 168,          // the main frame (no child window active)
  IDR_EDITTYPE = 169,           // program and text documents
  IDR_EXPLORETYPE = 173,        // explore windows
  IDR_OUTPUTTYPE = 201,         // the output pane
  IDR_VARIABLETYPE = 203,       // the Variables window
  IDR_DLGPROPTYPE = 204,        // the designer's property grid
  IDR_CALLSTACKTYPE = 205,      // the Call Stack window
  IDR_DLGEDITTYPE = 212,        // dialog documents
  IDR_DLGPALETTYPE = 214,       // the designer's palette
  IDR_PROGRAM_CONTEXT = 110,    // context menu of program and text documents
  IDR_OUTPUT_CONTEXT = 208,     // context menu of the output pane
  IDR_CALLSTACK_CONTEXT = 209,  // context menu of the Call Stack

  // Controls and child windows named by id.
  ID_INPLACE_CONTROL = 59156,  // the in-place edit or combo of a list cell
  ID_BROWSE_TABS = 59648,      // the browse bar's tab window
  ID_BROWSE_FILES = 59340,     // its "Files" tab: the cross-reference window
  ID_BROWSE_HELP = 59400,      // its "Help" tab: the help contents pane
};

// The kinds of a status-bar message: its colours in the message pane.
enum FwStatusKind : int {
  SK_PLAIN = 0,    // the pane's own colours
  SK_NOTICE = 1,   // white on dark blue
  SK_WARNING = 2,  // black on yellow
  SK_ERROR = 3,    // white on red
};

// Private messages: Qt event types with the environment's numbers.
enum FwMessageId : int {
  FW_MSG_SOCKET = 0x715,               // socket event, to a server-link window
  FW_MSG_WAKEUP = 0x716,               // wake-up after a cancelled exchange
  FW_MSG_DEBUG_RUN = 0x717,            // Run/Continue, to the main frame
  FW_MSG_DEBUG_HALT = 0x718,           // Halt
  FW_MSG_DEBUG_STOP = 0x719,           // Terminate
  FW_MSG_DEBUG_ENDED = 0x71a,          // the run-time process ended
  FW_MSG_DEBUG_STEP_INTO = 0x71b,      // Step into
  FW_MSG_DEBUG_STEP_OVER = 0x71c,      // Step over
  FW_MSG_DEBUG_STEP_OUT = 0x71d,       // Step out
  FW_MSG_RUN_TO_CURSOR = 0x71e,        // run to cursor, to the editor view
  FW_MSG_OUTPUT_LINE = 0x71f,          // output text in an owned block
  FW_MSG_INPLACE_ACCEPTED = 0x720,     // Enter in an in-place control
  FW_MSG_INPLACE_ENDED = 0x721,        // an in-place control is gone
  FW_MSG_FIRST = FW_MSG_SOCKET,        // the block of private messages ...
  FW_MSG_LAST = FW_MSG_INPLACE_ENDED,  // ... from first to last
};
