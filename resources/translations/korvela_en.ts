<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB">
<context>
    <name></name>
    <message id="APPLY_SETTINGS_RESTART_TITLE">
        <source>Restart required</source>
        <translation>Restart required</translation>
    </message>
    <message id="APPLY_SETTINGS_RESTART_MESSAGE">
        <source>The new language will be used the next time you start Korvela Player.</source>
        <translation>The new language will be used the next time you start Korvela Player.</translation>
    </message>
    <message id="PLAY_PAUSE_TOOLTIP">
        <source>Play / pause</source>
        <translation>Play / pause</translation>
    </message>
    <message id="FAST_FORWARD_TOOLTIP">
        <source>Fast forward</source>
        <translation>Fast forward</translation>
    </message>
    <message id="REWIND_TOOLTIP">
        <source>Rewind</source>
        <translation>Rewind</translation>
    </message>
    <message id="FIT_VIDEO_TOOLTIP">
        <source>Fit video to the window</source>
        <translation>Fit video to the window</translation>
    </message>
    <message id="ZOOM_IN_TOOLTIP">
        <source>Zoom in</source>
        <translation>Zoom in</translation>
    </message>
    <message id="ZOOM_OUT_TOOLTIP">
        <source>Zoom out</source>
        <translation>Zoom out</translation>
    </message>
    <message id="SCREENSHOT_TOOLTIP">
        <source>Save a still picture</source>
        <translation>Save a still picture</translation>
    </message>
    <message id="NEXT_FRAME_TOOLTIP">
        <source>Next frame</source>
        <translation>Next frame</translation>
    </message>
    <message id="PREVIOUS_FRAME_TOOLTIP">
        <source>Previous frame</source>
        <translation>Previous frame</translation>
    </message>
    <message id="FULL_SCREEN_TOOLTIP">
        <source>Full screen</source>
        <translation>Full screen</translation>
    </message>
    <message id="ADD_VIDEO_TITLE">
        <source>Add</source>
        <translation>Add</translation>
    </message>
    <message id="REMOVE_VIDEO_TITLE">
        <source>Remove</source>
        <translation>Remove</translation>
    </message>
    <message id="COLUMN_FILENAME_TITLE">
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message id="COLUMN_DURATION_TITLE">
        <source>Duration</source>
        <translation>Duration</translation>
    </message>
    <message id="COLUMN_CREATED_TITLE">
        <source>Recorded</source>
        <translation>Recorded</translation>
    </message>
    <message id="MENU_REVEAL_IN_FINDER">
        <source>&amp;Show in file manager</source>
        <translation>&amp;Show in file manager</translation>
    </message>
    <message id="MENU_EXPORT_TO_GPX">
        <source>Export to &amp;GPX…</source>
        <translation>Export to &amp;GPX…</translation>
    </message>
    <message id="MENU_EXPORT_TO_KML">
        <source>Export to &amp;KML…</source>
        <translation>Export to &amp;KML…</translation>
    </message>
    <message id="MENU_EXPORT_TO_EXCEL">
        <source>Export to s&amp;preadsheet…</source>
        <translation>Export to s&amp;preadsheet…</translation>
    </message>
    <message id="KM_PER_HOUR">
        <source>km/h</source>
        <translation>km/h</translation>
    </message>
    <message id="MILES_PER_HOUR">
        <source>mph</source>
        <translation>mph</translation>
    </message>
    <message id="LABEL_ALTITUDE_TITLE">
        <source>Altitude</source>
        <translation>Altitude</translation>
    </message>
    <message id="LABEL_ALTITUDE_METER">
        <source>m</source>
        <translation>m</translation>
    </message>
    <message id="LABEL_ALTITUDE_FOOT">
        <source>ft</source>
        <translation>ft</translation>
    </message>
    <message id="ERROR_TITLE">
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message id="ERROR_CANT_PLAY_VIDEO">
        <source>The video cannot be played.</source>
        <translation>The video cannot be played.</translation>
    </message>
    <message id="ERROR_CANT_PLAY_FILE">
        <source>The recording &quot;%1&quot; cannot be played.</source>
        <translation>The recording &quot;%1&quot; cannot be played.</translation>
    </message>
    <message id="ERROR_CARD_REMOVED">
        <source>The card "%1" was removed: its recordings cannot be played until it is back.</source>
        <translation>The card "%1" was removed: its recordings cannot be played until it is back.</translation>
    </message>
    <message id="STATUS_FILE_SKIPPED">
        <source>Skipped &quot;%1&quot;: the recording cannot be played.</source>
        <translation>Skipped &quot;%1&quot;: the recording cannot be played.</translation>
    </message>
    <message id="STATUS_PATHS_NOT_ADDED">
        <source>Not added: %1</source>
        <translation>Not added: %1</translation>
    </message>
    <message id="PATH_DOES_NOT_EXIST">
        <source>&quot;%1&quot; does not exist</source>
        <translation>&quot;%1&quot; does not exist</translation>
    </message>
    <message id="PATH_NOT_LOCAL">
        <source>&quot;%1&quot; is not a local file</source>
        <translation>&quot;%1&quot; is not a local file</translation>
    </message>
    <message id="ERROR_CANT_CHANGE_LOCK">
        <source>Some recordings of "%1" could not be locked or unlocked.</source>
        <translation>Some recordings of "%1" could not be locked or unlocked.</translation>
    </message>
    <message id="ERROR_CANT_DELETE_FILES">
        <source>These recordings are locked or could not be deleted and stay on the disk: %1</source>
        <translation>These recordings are locked or could not be deleted and stay on the disk: %1</translation>
    </message>
    <message id="STATUS_CARD_CHANGED">
        <source>The card changed since it was read; it is read again.</source>
        <translation>The card changed since it was read; it is read again.</translation>
    </message>
    <message id="ERROR_CARD_CHANGED">
        <source>The card changed since it was read; it is read again. "%1" was left as it is.</source>
        <translation>The card changed since it was read; it is read again. "%1" was left as it is.</translation>
    </message>
    <message id="ERROR_CANT_SAVE_FILE">
        <source>The file could not be saved: %1</source>
        <translation>The file could not be saved: %1</translation>
    </message>
    <message id="ERROR_CANT_MAKE_SCREENSHOT">
        <source>The still picture could not be taken: %1</source>
        <translation>The still picture could not be taken: %1</translation>
    </message>
    <message id="ARE_YOU_SURE_TITLE">
        <source>Delete the recordings?</source>
        <translation>Delete the recordings?</translation>
    </message>
    <message id="ARE_YOU_SURE_MESSAGE">
        <source>These files of "%@" will be deleted from the disk:</source>
        <translation>These files of "%@" will be deleted from the disk:</translation>
    </message>
    <message id="LOCK_TITLE">
        <source>&amp;Lock</source>
        <translation>&amp;Lock</translation>
    </message>
    <message id="UNLOCK_TITLE">
        <source>&amp;Unlock</source>
        <translation>&amp;Unlock</translation>
    </message>
    <message id="REMOVE_FILE_TITLE">
        <source>&amp;Delete</source>
        <translation>&amp;Delete</translation>
    </message>
    <message id="VELOCITY_TITLE">
        <source>Speed</source>
        <translation>Speed</translation>
    </message>
    <message id="ALTITUDE_TITLE">
        <source>Altitude</source>
        <translation>Altitude</translation>
    </message>
    <message id="GSENSOR_TITLE">
        <source>Acceleration</source>
        <translation>Acceleration</translation>
    </message>
    <message id="GSENSOR_X_TITLE">
        <source>Acceleration X</source>
        <translation>Acceleration X</translation>
    </message>
    <message id="GSENSOR_Y_TITLE">
        <source>Acceleration Y</source>
        <translation>Acceleration Y</translation>
    </message>
    <message id="GSENSOR_Z_TITLE">
        <source>Acceleration Z</source>
        <translation>Acceleration Z</translation>
    </message>
    <message id="EXPORT_EXCEL_TIME_TITLE">
        <source>Time</source>
        <translation>Time</translation>
    </message>
    <message id="EXPORT_EXCEL_LATITUDE_TITLE">
        <source>Latitude</source>
        <translation>Latitude</translation>
    </message>
    <message id="EXPORT_EXCEL_LONGITUDE_TITLE">
        <source>Longitude</source>
        <translation>Longitude</translation>
    </message>
    <message id="EXPORT_EXCEL_VELOCITY_TITLE">
        <source>Speed (km/h)</source>
        <translation>Speed (km/h)</translation>
    </message>
    <message id="EXPORT_EXCEL_ALTITUDE_TITLE">
        <source>Altitude (m)</source>
        <translation>Altitude (m)</translation>
    </message>
    <message id="UPDATE_AVAILABLE_TITLE">
        <source>Korvela Player %1 is available</source>
        <translation>Korvela Player %1 is available</translation>
    </message>
    <message id="UPDATE_AVAILABLE_MESSAGE">
        <source>This copy cannot update itself: it was installed by the system's package manager or in a folder you cannot change. Get the new version from your package manager or from %1</source>
        <translation>This copy cannot update itself: it was installed by the system's package manager or in a folder you cannot change. Get the new version from your package manager or from %1</translation>
    </message>
    <message id="UPTATE_READY_TITLE">
        <source>A new version of Korvela Player is available</source>
        <translation>A new version of Korvela Player is available</translation>
    </message>
    <message id="UPTATE_READY_MESSAGE">
        <source>Install it now? Korvela Player will restart.</source>
        <translation>Install it now? Korvela Player will restart.</translation>
    </message>
    <message id="UPTATE_FIRMWARE_READY_TITLE">
        <source>New camera firmware is available</source>
        <translation>New camera firmware is available</translation>
    </message>
    <message id="UPTATE_FIRMWARE_READY_MESSAGE">
        <source>Download it and put it on the camera's memory card?</source>
        <translation>Download it and put it on the camera's memory card?</translation>
    </message>
    <message id="UPTATE_FIRMWARE_FINISHED_TITLE">
        <source>The firmware is on the memory card</source>
        <translation>The firmware is on the memory card</translation>
    </message>
    <message id="UPTATE_FIRMWARE_FINISHED_MESSAGE">
        <source>Eject the card safely and put it back into the camera. The camera installs the firmware the next time it starts.</source>
        <translation>Eject the card safely and put it back into the camera. The camera installs the firmware the next time it starts.</translation>
    </message>
    <message id="UPTATE_FAILED_FINISHED_TITLE">
        <source>The firmware update failed</source>
        <translation>The firmware update failed</translation>
    </message>
    <message id="UPTATE_FAILED_FINISHED_MESSAGE">
        <source>The firmware could not be downloaded or written to the memory card. Nothing on the card was changed.</source>
        <translation>The firmware could not be downloaded or written to the memory card. Nothing on the card was changed.</translation>
    </message>
    <message id="UPTATE_INSTALLING_TITLE">
        <source>Installing the new version of Korvela Player…</source>
        <translation>Installing the new version of Korvela Player…</translation>
    </message>
    <message id="STATUS_GRAPHS_HIDDEN">
        <source>Graphs left out for want of room: %1. Make the graphs area taller to see them.</source>
        <translation>Graphs left out for want of room: %1. Make the graphs area taller to see them.</translation>
    </message>
    <message id="STATUS_READING_METADATA">
        <source>Reading %1 of %2</source>
        <translation>Reading %1 of %2</translation>
    </message>
    <message id="MENU_FILE">
        <source>&amp;File</source>
        <translation>&amp;File</translation>
    </message>
    <message id="MENU_OPEN">
        <source>&amp;Open…</source>
        <translation>&amp;Open…</translation>
    </message>
    <message id="MENU_WHATS_NEW">
        <source>&amp;What's New</source>
        <translation>&amp;What's New</translation>
    </message>
    <message id="MENU_QUIT">
        <source>&amp;Quit</source>
        <translation>&amp;Quit</translation>
    </message>
    <message id="MENU_HELP">
        <source>&amp;Help</source>
        <translation>&amp;Help</translation>
    </message>
    <message id="MENU_ABOUT">
        <source>&amp;About Korvela Player</source>
        <translation>&amp;About Korvela Player</translation>
    </message>
    <message id="MENU_REPORT_UNREAD_CAMERA">
        <source>&amp;Report an Unread Camera…</source>
        <translation>&amp;Report an Unread Camera…</translation>
    </message>
    <message id="REPORT_UNREAD_CAMERA_TITLE">
        <source>Report an unread camera</source>
        <translation>Report an unread camera</translation>
    </message>
    <message id="REPORT_SELECT_RECORDING">
        <source>Select the recording whose camera is not read, then choose this command again.</source>
        <translation>Select the recording whose camera is not read, then choose this command again.</translation>
    </message>
    <message id="CLOCK_PROPOSAL_TEXT">
        <source>The camera's clock for %1 is off its GPS time by %2.</source>
        <translation>The camera's clock for %1 is off its GPS time by %2.</translation>
    </message>
    <message id="CLOCK_PROPOSAL_APPLY">
        <source>Correct by %1</source>
        <translation>Correct by %1</translation>
    </message>
    <message id="CLOCK_PROPOSAL_DISMISS">
        <source>Keep the recordings' times as the camera's clock gives them</source>
        <translation>Keep the recordings' times as the camera's clock gives them</translation>
    </message>
    <message id="CLOCK_PROPOSAL_APPLIED">
        <source>The camera's clock for %1 is corrected by %2.</source>
        <translation>The camera's clock for %1 is corrected by %2.</translation>
    </message>
    <message id="CLOCK_PROPOSAL_LOCAL_FIXES">
        <source>GPS time is the camera's clock</source>
        <translation>GPS time is the camera's clock</translation>
    </message>
    <message id="CLOCK_PROPOSAL_LOCAL_FIXES_TIP">
        <source>The recording's names are right, and its GPS times are the camera's local time in %1 written as UTC, as some cameras write them after a cold start: read such times in %1.</source>
        <translation>The recording's names are right, and its GPS times are the camera's local time in %1 written as UTC, as some cameras write them after a cold start: read such times in %1.</translation>
    </message>
    <message id="CLOCK_PROPOSAL_LOCAL_APPLIED">
        <source>GPS times of %1 that follow the camera's clock are read in %2.</source>
        <translation>GPS times of %1 that follow the camera's clock are read in %2.</translation>
    </message>
    <message id="MENU_PLAYBACK">
        <source>&amp;Playback</source>
        <translation>&amp;Playback</translation>
    </message>
    <message id="MENU_PLAY_PAUSE">
        <source>&amp;Play / Pause</source>
        <translation>&amp;Play / Pause</translation>
    </message>
    <message id="MENU_FAST_FORWARD">
        <source>&amp;Fast Forward</source>
        <translation>&amp;Fast Forward</translation>
    </message>
    <message id="MENU_REWIND">
        <source>&amp;Rewind</source>
        <translation>&amp;Rewind</translation>
    </message>
    <message id="MENU_NEXT_FRAME">
        <source>&amp;Next Frame</source>
        <translation>&amp;Next Frame</translation>
    </message>
    <message id="MENU_PREVIOUS_FRAME">
        <source>Pre&amp;vious Frame</source>
        <translation>Pre&amp;vious Frame</translation>
    </message>
    <message id="MENU_STEP_FORWARD">
        <source>Step For&amp;ward</source>
        <translation>Step For&amp;ward</translation>
    </message>
    <message id="MENU_STEP_BACKWARD">
        <source>Step &amp;Backward</source>
        <translation>Step &amp;Backward</translation>
    </message>
    <message id="MENU_SCREENSHOT">
        <source>Save Still P&amp;icture…</source>
        <translation>Save Still P&amp;icture…</translation>
    </message>
    <message id="MENU_ZOOM_IN">
        <source>&amp;Zoom In</source>
        <translation>&amp;Zoom In</translation>
    </message>
    <message id="MENU_ZOOM_OUT">
        <source>Zoom &amp;Out</source>
        <translation>Zoom &amp;Out</translation>
    </message>
    <message id="MENU_FIT_TO_SIZE">
        <source>Fi&amp;t to Window</source>
        <translation>Fi&amp;t to Window</translation>
    </message>
    <message id="MENU_CAMERA">
        <source>&amp;Camera</source>
        <translation>&amp;Camera</translation>
    </message>
    <message id="MENU_CAMERA_FRONT">
        <source>Front</source>
        <translation>Front</translation>
    </message>
    <message id="MENU_CAMERA_REAR">
        <source>Rear</source>
        <translation>Rear</translation>
    </message>
    <message id="MENU_CAMERA_INTERIOR">
        <source>Interior</source>
        <translation>Interior</translation>
    </message>
    <message id="MENU_CAMERA_OPTIONAL">
        <source>Optional</source>
        <translation>Optional</translation>
    </message>
    <message id="MENU_CAMERA_LEFT">
        <source>Left</source>
        <translation>Left</translation>
    </message>
    <message id="MENU_CAMERA_RIGHT">
        <source>Right</source>
        <translation>Right</translation>
    </message>
    <message id="MENU_CAMERA_LEFT_PILLAR">
        <source>Left Pillar</source>
        <translation>Left Pillar</translation>
    </message>
    <message id="MENU_CAMERA_RIGHT_PILLAR">
        <source>Right Pillar</source>
        <translation>Right Pillar</translation>
    </message>
    <message id="MENU_VIEW_SINGLE">
        <source>Single View</source>
        <translation>Single View</translation>
    </message>
    <message id="MENU_VIEW_PICTURE_IN_PICTURE">
        <source>Picture in Picture</source>
        <translation>Picture in Picture</translation>
    </message>
    <message id="MENU_VIEW_SIDE_BY_SIDE">
        <source>Side by Side</source>
        <translation>Side by Side</translation>
    </message>
    <message id="MENU_VIEW_GRID">
        <source>Grid</source>
        <translation>Grid</translation>
    </message>
    <message id="STATUS_GRID_TOO_SLOW">
        <source>This computer cannot decode every view in time: two views are shown side by side.</source>
        <translation>This computer cannot decode every view in time: two views are shown side by side.</translation>
    </message>
    <message id="MENU_VIEW_SWAP">
        <source>Swap Views</source>
        <translation>Swap Views</translation>
    </message>
    <message id="MENU_GRAPHS">
        <source>&amp;Graphs</source>
        <translation>&amp;Graphs</translation>
    </message>
    <message id="MENU_SETTINGS">
        <source>&amp;Settings</source>
        <translation>&amp;Settings</translation>
    </message>
    <message id="MENU_LANGUAGE">
        <source>&amp;Language</source>
        <translation>&amp;Language</translation>
    </message>
    <message id="MENU_MAP_PROVIDER">
        <source>&amp;Map</source>
        <translation>&amp;Map</translation>
    </message>
    <message id="MENU_UNITS">
        <source>&amp;Units</source>
        <translation>&amp;Units</translation>
    </message>
    <message id="MENU_UNITS_METRIC">
        <source>&amp;Metric (km/h, m)</source>
        <translation>&amp;Metric (km/h, m)</translation>
    </message>
    <message id="MENU_UNITS_BRITISH">
        <source>&amp;British (mph, ft)</source>
        <translation>&amp;British (mph, ft)</translation>
    </message>
    <message id="MODE_NORMAL">
        <source>Normal</source>
        <translation>Normal</translation>
    </message>
    <message id="MODE_EVENT">
        <source>Event</source>
        <translation>Event</translation>
    </message>
    <message id="MODE_PARKING">
        <source>Parking</source>
        <translation>Parking</translation>
    </message>
    <message id="MODE_MANUAL">
        <source>Manual</source>
        <translation>Manual</translation>
    </message>
    <message id="MODE_OTHER">
        <source>Other</source>
        <translation>Other</translation>
    </message>
    <message id="FILTER_ALL_RECORDINGS">
        <source>All recordings</source>
        <translation>All recordings</translation>
    </message>
    <message id="MODE_FILTER_TOOLTIP">
        <source>Show only recordings of this kind</source>
        <translation>Show only recordings of this kind</translation>
    </message>
    <message id="TOOLTIP_MODE">
        <source>Mode: %1</source>
        <translation>Mode: %1</translation>
    </message>
    <message id="TOOLTIP_EVENT_RECORDINGS">
        <source>Event recordings: %1</source>
        <translation>Event recordings: %1</translation>
    </message>
    <message id="TOOLTIP_CAMERA_MODEL">
        <source>Camera: %1</source>
        <translation>Camera: %1</translation>
    </message>
    <message id="TOOLTIP_NO_TRACK">
        <source>No track: %1</source>
        <translation>No track: %1</translation>
    </message>
    <message id="TOOLTIP_NO_TRACK_NOT_READ">
        <source>not read: no known camera format</source>
        <translation>not read: no known camera format</translation>
    </message>
    <message id="TOOLTIP_NO_TRACK_NO_FIX">
        <source>the camera had no GPS fix yet</source>
        <translation>the camera had no GPS fix yet</translation>
    </message>
    <message id="TOOLTIP_NO_TRACK_ENCRYPTED">
        <source>the camera's GPS data is encrypted</source>
        <translation>the camera's GPS data is encrypted</translation>
    </message>
    <message id="TOOLTIP_NO_TRACK_UNKNOWN_LAYOUT">
        <source>the camera's GPS data is in a layout not known yet</source>
        <translation>the camera's GPS data is in a layout not known yet</translation>
    </message>
    <message id="TOOLTIP_NO_TRACK_UNREADABLE">
        <source>the file could not be read</source>
        <translation>the file could not be read</translation>
    </message>
    <message id="TOOLTIP_DATED_BY_FILE">
        <source>Dated by the file's modification time: neither the camera's data nor the file's name tell when it was recorded.</source>
        <translation>Dated by the file's modification time: neither the camera's data nor the file's name tell when it was recorded.</translation>
    </message>
    <message id="MENU_GO_TO_START">
        <source>Go to &amp;Start</source>
        <translation>Go to &amp;Start</translation>
    </message>
    <message id="MENU_GO_TO_END">
        <source>Go to &amp;End</source>
        <translation>Go to &amp;End</translation>
    </message>
    <message id="MENU_FULL_SCREEN">
        <source>F&amp;ull Screen</source>
        <translation>F&amp;ull Screen</translation>
    </message>
    <message id="STATUS_NO_RECORDINGS_FOUND">
        <source>No recordings found in %1</source>
        <translation>No recordings found in %1</translation>
    </message>
    <message id="FILE_LIST_EMPTY_HINT">
        <source>No recordings yet.

Insert a camera&apos;s memory card, or choose Add to open recordings or a folder of them. You can also drop them here.</source>
        <translation>No recordings yet.

Insert a camera&apos;s memory card, or choose Add to open recordings or a folder of them. You can also drop them here.</translation>
    </message>
    <message id="ADD_VIDEO_TOOLTIP">
        <source>Add recordings or folders</source>
        <translation>Add recordings or folders</translation>
    </message>
    <message id="DELETE_RECORDINGS_COUNT">
        <source>Recordings: %1</source>
        <translation>Recordings: %1</translation>
    </message>
    <message id="DELETE_VIDEO_FILES">
        <source>Video files: %1 (camera views: %2)</source>
        <translation>Video files: %1 (camera views: %2)</translation>
    </message>
    <message id="DELETE_DATA_FILES_UNREAD">
        <source>Data files: %1 named so far, and any other found beside the recordings</source>
        <translation>Data files: %1 named so far, and any other found beside the recordings</translation>
    </message>
    <message id="DELETE_DATA_FILES">
        <source>Data files (track, sensors): %1</source>
        <translation>Data files (track, sensors): %1</translation>
    </message>
    <message id="DELETE_LOCKED_STAY">
        <source>Locked recordings stay on the disk: %1</source>
        <translation>Locked recordings stay on the disk: %1</translation>
    </message>
    <message id="ERROR_CANT_SHOW_FOLDER">
        <source>No file manager is set up to show the folder %1.</source>
        <translation>No file manager is set up to show the folder %1.</translation>
    </message>
    <message id="ERROR_WHATS_NEW_MISSING">
        <source>The notes on this version are not installed.</source>
        <translation>The notes on this version are not installed.</translation>
    </message>
    <message id="ERROR_CANT_OPEN_WHATS_NEW">
        <source>No program is set up to open the notes on this version. They are in %1</source>
        <translation>No program is set up to open the notes on this version. They are in %1</translation>
    </message>
    <message id="GRAPH_NO_DATA">
        <source>No data</source>
        <translation>No data</translation>
    </message>
    <message id="MAP_TILES_OFFLINE">
        <source>Map tiles are not available offline</source>
        <translation>Map tiles are not available offline</translation>
    </message>
    <message id="CHOOSE_FOLDER_BUTTON">
        <source>Choose Folder</source>
        <translation>Choose Folder</translation>
    </message>
    <message id="EXPORT_SAVED_FILES">
        <source>Saved: %1</source>
        <translation>Saved: %1</translation>
    </message>
    <message id="MENU_MARK_IN">
        <source>Mark Clip &amp;Start</source>
        <translation>Mark Clip &amp;Start</translation>
    </message>
    <message id="MENU_MARK_OUT">
        <source>Mark Clip En&amp;d</source>
        <translation>Mark Clip En&amp;d</translation>
    </message>
    <message id="MENU_CLEAR_MARKS">
        <source>&amp;Clear Clip Marks</source>
        <translation>&amp;Clear Clip Marks</translation>
    </message>
    <message id="MENU_EXPORT_CLIP">
        <source>E&amp;xport Clip…</source>
        <translation>E&amp;xport Clip…</translation>
    </message>
    <message id="CLIP_DIALOG_TITLE">
        <source>Export Clip</source>
        <translation>Export Clip</translation>
    </message>
    <message id="CLIP_NOTHING_PLAYING">
        <source>Play the trip or recording the clip is to come from, then choose this again.</source>
        <translation>Play the trip or recording the clip is to come from, then choose this again.</translation>
    </message>
    <message id="CLIP_RANGE_LABEL">
        <source>Range:</source>
        <translation>Range:</translation>
    </message>
    <message id="CLIP_RANGE_MARKED">
        <source>Between the marks (%1)</source>
        <translation>Between the marks (%1)</translation>
    </message>
    <message id="CLIP_RANGE_RECORDING">
        <source>This recording (%1)</source>
        <translation>This recording (%1)</translation>
    </message>
    <message id="CLIP_RANGE_AROUND">
        <source>30 s before and after the position (%1)</source>
        <translation>30 s before and after the position (%1)</translation>
    </message>
    <message id="CLIP_LAYOUT_LABEL">
        <source>Cameras:</source>
        <translation>Cameras:</translation>
    </message>
    <message id="CLIP_LAYOUT_FRONT">
        <source>Front camera only</source>
        <translation>Front camera only</translation>
    </message>
    <message id="CLIP_LAYOUT_REAR">
        <source>Rear camera only</source>
        <translation>Rear camera only</translation>
    </message>
    <message id="CLIP_LAYOUT_PIP">
        <source>Picture in picture</source>
        <translation>Picture in picture</translation>
    </message>
    <message id="CLIP_LAYOUT_SIDE">
        <source>Side by side</source>
        <translation>Side by side</translation>
    </message>
    <message id="CLIP_LAYOUT_GRID">
        <source>Grid of all cameras</source>
        <translation>Grid of all cameras</translation>
    </message>
    <message id="CLIP_READOUTS_LABEL">
        <source>Burn in:</source>
        <translation>Burn in:</translation>
    </message>
    <message id="CLIP_READOUT_TIME">
        <source>Date and time</source>
        <translation>Date and time</translation>
    </message>
    <message id="CLIP_READOUT_SPEED">
        <source>Speed</source>
        <translation>Speed</translation>
    </message>
    <message id="CLIP_READOUT_POSITION">
        <source>Position</source>
        <translation>Position</translation>
    </message>
    <message id="CLIP_READOUT_HEADING">
        <source>Heading</source>
        <translation>Heading</translation>
    </message>
    <message id="CLIP_READOUT_MAP">
        <source>Map</source>
        <translation>Map</translation>
    </message>
    <message id="CLIP_READOUT_ACCELERATION">
        <source>Acceleration</source>
        <translation>Acceleration</translation>
    </message>
    <message id="CLIP_QUALITY_LABEL">
        <source>Quality:</source>
        <translation>Quality:</translation>
    </message>
    <message id="CLIP_QUALITY_ORIGINAL">
        <source>Original (copied, not re-encoded)</source>
        <translation>Original (copied, not re-encoded)</translation>
    </message>
    <message id="CLIP_QUALITY_1080">
        <source>1080p</source>
        <translation>1080p</translation>
    </message>
    <message id="CLIP_QUALITY_720">
        <source>720p</source>
        <translation>720p</translation>
    </message>
    <message id="CLIP_SOUND">
        <source>Sound</source>
        <translation>Sound</translation>
    </message>
    <message id="CLIP_GPX">
        <source>Also save the clip&apos;s GPS track (GPX)</source>
        <translation>Also save the clip&apos;s GPS track (GPX)</translation>
    </message>
    <message id="CLIP_FOLDER_LABEL">
        <source>Save in:</source>
        <translation>Save in:</translation>
    </message>
    <message id="CLIP_CHOOSE_FOLDER">
        <source>Choose…</source>
        <translation>Choose…</translation>
    </message>
    <message id="CLIP_NAME_LABEL">
        <source>Name:</source>
        <translation>Name:</translation>
    </message>
    <message id="CLIP_EXPORT_BUTTON">
        <source>Export</source>
        <translation>Export</translation>
    </message>
    <message id="CLIP_UNREADABLE_FILES">
        <source>These files cannot be read and are left out: %1</source>
        <translation>These files cannot be read and are left out: %1</translation>
    </message>
    <message id="CLIP_FOLDER_UNUSABLE">
        <source>The folder "%1" does not exist or cannot be written to. Choose another one.</source>
        <translation>The folder "%1" does not exist or cannot be written to. Choose another one.</translation>
    </message>
    <message id="CLIP_CANCEL">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="CLIP_TIME_LEFT">
        <source>%1 left</source>
        <translation>%1 left</translation>
    </message>
    <message id="CLIP_CANCELLED">
        <source>The clip export was cancelled; nothing was saved.</source>
        <translation>The clip export was cancelled; nothing was saved.</translation>
    </message>
    <message id="CLIP_FAILED">
        <source>The clip could not be exported</source>
        <translation>The clip could not be exported</translation>
    </message>
    <message id="CLIP_SAVED">
        <source>Clip saved: %1</source>
        <translation>Clip saved: %1</translation>
    </message>
    <message id="CLIP_MANIFEST_SAVED">
        <source>evidence: %1</source>
        <translation>evidence: %1</translation>
    </message>
    <message id="CLIP_GPX_SAVED">
        <source>track: %1</source>
        <translation>track: %1</translation>
    </message>
    <message id="CLIP_SKIPPED">
        <source>Left out, not readable: %1</source>
        <translation>Left out, not readable: %1</translation>
    </message>
    <message id="COLUMN_DISTANCE_TITLE">
        <source>Distance</source>
        <translation>Distance</translation>
    </message>
    <message id="TOOLTIP_TRIP_DISTANCE">
        <source>Distance: %1</source>
        <translation>Distance: %1</translation>
    </message>
    <message id="TOOLTIP_TRIP_DRIVING">
        <source>Driving: %1</source>
        <translation>Driving: %1</translation>
    </message>
    <message id="TOOLTIP_TRIP_STOPPED">
        <source>Stopped: %1</source>
        <translation>Stopped: %1</translation>
    </message>
    <message id="TOOLTIP_TRIP_TOP_SPEED">
        <source>Top speed: %1</source>
        <translation>Top speed: %1</translation>
    </message>
    <message id="TOOLTIP_TRIP_AVERAGE_SPEED">
        <source>Average moving speed: %1</source>
        <translation>Average moving speed: %1</translation>
    </message>
    <message id="TOOLTIP_TRIP_START">
        <source>Start: %1</source>
        <translation>Start: %1</translation>
    </message>
    <message id="TOOLTIP_TRIP_END">
        <source>End: %1</source>
        <translation>End: %1</translation>
    </message>
    <message id="MENU_VIEW">
        <source>&amp;View</source>
        <translation>&amp;View</translation>
    </message>
    <message id="MENU_SHOW_EVENTS">
        <source>&amp;Events</source>
        <translation>&amp;Events</translation>
    </message>
    <message id="MENU_WHOLE_CARD_MAP">
        <source>Whole &amp;Card on Map</source>
        <translation>Whole &amp;Card on Map</translation>
    </message>
    <message id="CARD_MAP_DAY">
        <source>%1 · trips: %2 · %3 · driving %4</source>
        <translation>%1 · trips: %2 · %3 · driving %4</translation>
    </message>
    <message id="CARD_MAP_READING">
        <source>Reading the tracks: %1 of %2</source>
        <translation>Reading the tracks: %1 of %2</translation>
    </message>
    <message id="CARD_MAP_NO_TRACKS">
        <source>No recording in the list has a GPS track</source>
        <translation>No recording in the list has a GPS track</translation>
    </message>
    <message id="CARD_MAP_CLICK_TO_PLAY">
        <source>Click a route to play that moment</source>
        <translation>Click a route to play that moment</translation>
    </message>
    <message id="MENU_NEXT_EVENT">
        <source>Next E&amp;vent</source>
        <translation>Next E&amp;vent</translation>
    </message>
    <message id="MENU_PREVIOUS_EVENT">
        <source>Previous Eve&amp;nt</source>
        <translation>Previous Eve&amp;nt</translation>
    </message>
    <message id="EVENTS_COLUMN_TIME">
        <source>Time</source>
        <translation>Time</translation>
    </message>
    <message id="EVENTS_COLUMN_KIND">
        <source>Event</source>
        <translation>Event</translation>
    </message>
    <message id="EVENTS_COLUMN_STRENGTH">
        <source>Strength</source>
        <translation>Strength</translation>
    </message>
    <message id="EVENTS_COLUMN_RECORDING">
        <source>Recording</source>
        <translation>Recording</translation>
    </message>
    <message id="EVENT_KIND_CAMERA_EVENT">
        <source>Camera event</source>
        <translation>Camera event</translation>
    </message>
    <message id="EVENT_KIND_CAMERA_MANUAL">
        <source>Event button</source>
        <translation>Event button</translation>
    </message>
    <message id="EVENT_KIND_CAMERA_PARKING_IMPACT">
        <source>Impact while parked</source>
        <translation>Impact while parked</translation>
    </message>
    <message id="EVENT_KIND_CAMERA_OVER_SPEED">
        <source>Camera's speed alarm</source>
        <translation>Camera's speed alarm</translation>
    </message>
    <message id="EVENT_KIND_IMPACT">
        <source>Impact</source>
        <translation>Impact</translation>
    </message>
    <message id="EVENT_KIND_HARD_BRAKING">
        <source>Hard braking</source>
        <translation>Hard braking</translation>
    </message>
    <message id="EVENT_KIND_HARD_ACCELERATION">
        <source>Hard acceleration</source>
        <translation>Hard acceleration</translation>
    </message>
    <message id="EVENT_KIND_SHARP_TURN">
        <source>Sharp turn</source>
        <translation>Sharp turn</translation>
    </message>
    <message id="EVENT_KIND_HARSH_DRIVING">
        <source>Harsh driving</source>
        <translation>Harsh driving</translation>
    </message>
    <message id="EVENT_KIND_OVER_SPEED">
        <source>Over the speed limit</source>
        <translation>Over the speed limit</translation>
    </message>
    <message id="TOOLTIP_DAY_TRIPS">
        <source>Trips this day: %1</source>
        <translation>Trips this day: %1</translation>
    </message>
    <message id="TOOLTIP_DAY_DISTANCE">
        <source>Distance this day: %1</source>
        <translation>Distance this day: %1</translation>
    </message>
    <message id="TOOLTIP_DAY_DRIVING">
        <source>Driving this day: %1</source>
        <translation>Driving this day: %1</translation>
    </message>
    <message id="SHORTCUTS_TITLE">
        <source>Keyboard Shortcuts</source>
        <translation>Keyboard Shortcuts</translation>
    </message>
    <message id="MENU_SHORTCUTS">
        <source>&amp;Keyboard Shortcuts</source>
        <translation>&amp;Keyboard Shortcuts</translation>
    </message>
    <message id="SHORTCUTS_COMMAND">
        <source>Command</source>
        <translation>Command</translation>
    </message>
    <message id="SHORTCUTS_KEYS">
        <source>Keys</source>
        <translation>Keys</translation>
    </message>
    <message id="MENU_LEAVE_FULL_SCREEN">
        <source>Leave Full Screen</source>
        <translation>Leave Full Screen</translation>
    </message>
    <message id="COLUMN_DURATION_TOOLTIP">
        <source>Duration of the recording or trip</source>
        <translation>Duration of the recording or trip</translation>
    </message>
    <message id="UNIT_MILES">
        <source>mi</source>
        <translation>mi</translation>
    </message>
    <message id="UNIT_KILOMETRES">
        <source>km</source>
        <translation>km</translation>
    </message>
    <message id="MENU_EDIT">
        <source>&amp;Edit</source>
        <translation>&amp;Edit</translation>
    </message>
    <message id="MENU_UNDO">
        <source>&amp;Undo</source>
        <translation>&amp;Undo</translation>
    </message>
    <message id="MENU_UNDO_STEP">
        <source>&amp;Undo %1</source>
        <translation>&amp;Undo %1</translation>
    </message>
    <message id="MENU_REDO">
        <source>&amp;Redo</source>
        <translation>&amp;Redo</translation>
    </message>
    <message id="MENU_REDO_STEP">
        <source>&amp;Redo %1</source>
        <translation>&amp;Redo %1</translation>
    </message>
    <message id="MENU_SPLIT_TRIP">
        <source>Split Trip Here</source>
        <translation>Split Trip Here</translation>
    </message>
    <message id="MENU_JOIN_TRIP">
        <source>Join with Next Trip</source>
        <translation>Join with Next Trip</translation>
    </message>
    <message id="TRIP_STEP_SPLIT">
        <source>Split Trip</source>
        <translation>Split Trip</translation>
    </message>
    <message id="TRIP_STEP_JOIN">
        <source>Join Trips</source>
        <translation>Join Trips</translation>
    </message>
    <message id="CLIP_RANGE_EVENT">
        <source>30 s before and after the event (%1)</source>
        <translation>30 s before and after the event (%1)</translation>
    </message>
    <message id="MENU_IMPORT_TRACK">
        <source>Import Track…</source>
        <translation>Import Track…</translation>
    </message>
    <message id="MENU_REMOVE_IMPORTED_TRACK">
        <source>Remove Imported Track</source>
        <translation>Remove Imported Track</translation>
    </message>
    <message id="IMPORT_TRACK_TITLE">
        <source>Import Track</source>
        <translation>Import Track</translation>
    </message>
    <message id="IMPORT_TRACK_FILE_TYPES">
        <source>Tracks (*.gpx *.kml *.nmea *.txt *.log);;All files (*)</source>
        <translation>Tracks (*.gpx *.kml *.nmea *.txt *.log);;All files (*)</translation>
    </message>
    <message id="IMPORT_TRACK_WHOLE_CARD">
        <source>Import for every recording of the card</source>
        <translation>Import for every recording of the card</translation>
    </message>
    <message id="IMPORT_TRACK_ONLY_FOR">
        <source>Import only for %1</source>
        <translation>Import only for %1</translation>
    </message>
    <message id="IMPORT_TRACK_PREFER_IMPORTED">
        <source>Use the imported track also where the camera recorded its own</source>
        <translation>Use the imported track also where the camera recorded its own</translation>
    </message>
    <message id="IMPORT_TRACK_NO_SELECTION_TITLE">
        <source>Choose a recording first</source>
        <translation>Choose a recording first</translation>
    </message>
    <message id="IMPORT_TRACK_NO_SELECTION_MESSAGE">
        <source>Select a recording or trip of the card in the list, then import the track for it.</source>
        <translation>Select a recording or trip of the card in the list, then import the track for it.</translation>
    </message>
    <message id="IMPORT_TRACK_FAILED_TITLE">
        <source>The track could not be imported</source>
        <translation>The track could not be imported</translation>
    </message>
    <message id="IMPORT_TRACK_UNREADABLE">
        <source>The file could not be read.</source>
        <translation>The file could not be read.</translation>
    </message>
    <message id="IMPORT_TRACK_UNKNOWN_FORMAT">
        <source>The file is not a GPX, KML or NMEA track.</source>
        <translation>The file is not a GPX, KML or NMEA track.</translation>
    </message>
    <message id="IMPORT_TRACK_DAMAGED">
        <source>The %1 file is damaged.</source>
        <translation>The %1 file is damaged.</translation>
    </message>
    <message id="IMPORT_TRACK_NO_TIMED_POINT">
        <source>The %1 file holds no position with a time, so it cannot be matched to the recordings.</source>
        <translation>The %1 file holds no position with a time, so it cannot be matched to the recordings.</translation>
    </message>
    <message id="STATUS_IMPORTING_TRACK">
        <source>Importing %1…</source>
        <translation>Importing %1…</translation>
    </message>
    <message id="STATUS_TRACK_IMPORTED">
        <source>Imported track: %1 recordings lie within its time</source>
        <translation>Imported track: %1 recordings lie within its time</translation>
    </message>
    <message id="REMOVE_IMPORTED_TRACK_FAILED_TITLE">
        <source>The imported track could not be removed</source>
        <translation>The imported track could not be removed</translation>
    </message>
    <message id="STATUS_IMPORTED_TRACK_REMOVED">
        <source>The imported track is removed; the camera's own data shows again</source>
        <translation>The imported track is removed; the camera's own data shows again</translation>
    </message>
    <message id="STATUS_NO_IMPORTED_TRACK">
        <source>No imported track shows for this recording</source>
        <translation>No imported track shows for this recording</translation>
    </message>
    <message id="TOOLTIP_TRACK_IMPORTED">
        <source>Track imported from another device</source>
        <translation>Track imported from another device</translation>
    </message>
</context>
</TS>
