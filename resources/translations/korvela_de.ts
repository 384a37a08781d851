<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name></name>
    <message id="APPLY_SETTINGS_RESTART_TITLE">
        <source>Restart required</source>
        <translation>Neustart erforderlich</translation>
    </message>
    <message id="APPLY_SETTINGS_RESTART_MESSAGE">
        <source>The new language will be used the next time you start Korvela Player.</source>
        <translation>Die neue Sprache wird beim nächsten Start von Korvela Player verwendet.</translation>
    </message>
    <message id="PLAY_PAUSE_TOOLTIP">
        <source>Play / pause</source>
        <translation>Wiedergabe / Pause</translation>
    </message>
    <message id="FAST_FORWARD_TOOLTIP">
        <source>Fast forward</source>
        <translation>Schneller Vorlauf</translation>
    </message>
    <message id="REWIND_TOOLTIP">
        <source>Rewind</source>
        <translation>Schneller Rücklauf</translation>
    </message>
    <message id="FIT_VIDEO_TOOLTIP">
        <source>Fit video to the window</source>
        <translation>Video an das Fenster anpassen</translation>
    </message>
    <message id="ZOOM_IN_TOOLTIP">
        <source>Zoom in</source>
        <translation>Vergrößern</translation>
    </message>
    <message id="ZOOM_OUT_TOOLTIP">
        <source>Zoom out</source>
        <translation>Verkleinern</translation>
    </message>
    <message id="SCREENSHOT_TOOLTIP">
        <source>Save a still picture</source>
        <translation>Standbild speichern</translation>
    </message>
    <message id="NEXT_FRAME_TOOLTIP">
        <source>Next frame</source>
        <translation>Nächstes Bild</translation>
    </message>
    <message id="PREVIOUS_FRAME_TOOLTIP">
        <source>Previous frame</source>
        <translation>Vorheriges Bild</translation>
    </message>
    <message id="FULL_SCREEN_TOOLTIP">
        <source>Full screen</source>
        <translation>Vollbild</translation>
    </message>
    <message id="ADD_VIDEO_TITLE">
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message id="REMOVE_VIDEO_TITLE">
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message id="COLUMN_FILENAME_TITLE">
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message id="COLUMN_DURATION_TITLE">
        <source>Duration</source>
        <translation>Dauer</translation>
    </message>
    <message id="COLUMN_CREATED_TITLE">
        <source>Recorded</source>
        <translation>Aufgenommen</translation>
    </message>
    <message id="MENU_REVEAL_IN_FINDER">
        <source>&amp;Show in file manager</source>
        <translation>Im Dateimanager &amp;zeigen</translation>
    </message>
    <message id="MENU_EXPORT_TO_GPX">
        <source>Export to &amp;GPX…</source>
        <translation>Als &amp;GPX exportieren…</translation>
    </message>
    <message id="MENU_EXPORT_TO_KML">
        <source>Export to &amp;KML…</source>
        <translation>Als &amp;KML exportieren…</translation>
    </message>
    <message id="MENU_EXPORT_TO_EXCEL">
        <source>Export to s&amp;preadsheet…</source>
        <translation>Als &amp;Tabelle exportieren…</translation>
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
        <translation>Höhe</translation>
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
        <translation>Fehler</translation>
    </message>
    <message id="ERROR_CANT_PLAY_VIDEO">
        <source>The video cannot be played.</source>
        <translation>Das Video kann nicht abgespielt werden.</translation>
    </message>
    <message id="ERROR_CANT_PLAY_FILE">
        <source>The recording &quot;%1&quot; cannot be played.</source>
        <translation>Die Aufnahme „%1“ kann nicht abgespielt werden.</translation>
    </message>
    <message id="ERROR_CARD_REMOVED">
        <source>The card "%1" was removed: its recordings cannot be played until it is back.</source>
        <translation>Die Karte „%1“ wurde entfernt: ihre Aufnahmen lassen sich erst wieder abspielen, wenn sie zurück ist.</translation>
    </message>
    <message id="STATUS_FILE_SKIPPED">
        <source>Skipped &quot;%1&quot;: the recording cannot be played.</source>
        <translation>„%1“ übersprungen: Die Aufnahme kann nicht abgespielt werden.</translation>
    </message>
    <message id="STATUS_PATHS_NOT_ADDED">
        <source>Not added: %1</source>
        <translation>Nicht hinzugefügt: %1</translation>
    </message>
    <message id="PATH_DOES_NOT_EXIST">
        <source>&quot;%1&quot; does not exist</source>
        <translation>„%1“ existiert nicht</translation>
    </message>
    <message id="PATH_NOT_LOCAL">
        <source>&quot;%1&quot; is not a local file</source>
        <translation>„%1“ ist keine lokale Datei</translation>
    </message>
    <message id="ERROR_CANT_CHANGE_LOCK">
        <source>Some recordings of "%1" could not be locked or unlocked.</source>
        <translation>Einige Aufnahmen von „%1“ konnten nicht gesperrt oder entsperrt werden.</translation>
    </message>
    <message id="ERROR_CANT_DELETE_FILES">
        <source>These recordings are locked or could not be deleted and stay on the disk: %1</source>
        <translation>Diese Aufnahmen sind gesperrt oder konnten nicht gelöscht werden und bleiben auf dem Datenträger: %1</translation>
    </message>
    <message id="STATUS_CARD_CHANGED">
        <source>The card changed since it was read; it is read again.</source>
        <translation>Die Karte hat sich geändert, seit sie gelesen wurde; sie wird neu gelesen.</translation>
    </message>
    <message id="ERROR_CARD_CHANGED">
        <source>The card changed since it was read; it is read again. "%1" was left as it is.</source>
        <translation>Die Karte hat sich geändert, seit sie gelesen wurde; sie wird neu gelesen. „%1“ blieb unverändert.</translation>
    </message>
    <message id="ERROR_CANT_SAVE_FILE">
        <source>The file could not be saved: %1</source>
        <translation>Die Datei konnte nicht gespeichert werden: %1</translation>
    </message>
    <message id="ERROR_CANT_MAKE_SCREENSHOT">
        <source>The still picture could not be taken: %1</source>
        <translation>Das Standbild konnte nicht aufgenommen werden: %1</translation>
    </message>
    <message id="ARE_YOU_SURE_TITLE">
        <source>Delete the recordings?</source>
        <translation>Aufnahmen löschen?</translation>
    </message>
    <message id="ARE_YOU_SURE_MESSAGE">
        <source>These files of "%@" will be deleted from the disk:</source>
        <translation>Diese Dateien von „%@“ werden vom Datenträger gelöscht:</translation>
    </message>
    <message id="LOCK_TITLE">
        <source>&amp;Lock</source>
        <translation>&amp;Sperren</translation>
    </message>
    <message id="UNLOCK_TITLE">
        <source>&amp;Unlock</source>
        <translation>&amp;Entsperren</translation>
    </message>
    <message id="REMOVE_FILE_TITLE">
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message id="VELOCITY_TITLE">
        <source>Speed</source>
        <translation>Geschwindigkeit</translation>
    </message>
    <message id="ALTITUDE_TITLE">
        <source>Altitude</source>
        <translation>Höhe</translation>
    </message>
    <message id="GSENSOR_TITLE">
        <source>Acceleration</source>
        <translation>Beschleunigung</translation>
    </message>
    <message id="GSENSOR_X_TITLE">
        <source>Acceleration X</source>
        <translation>Beschleunigung X</translation>
    </message>
    <message id="GSENSOR_Y_TITLE">
        <source>Acceleration Y</source>
        <translation>Beschleunigung Y</translation>
    </message>
    <message id="GSENSOR_Z_TITLE">
        <source>Acceleration Z</source>
        <translation>Beschleunigung Z</translation>
    </message>
    <message id="EXPORT_EXCEL_TIME_TITLE">
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message id="EXPORT_EXCEL_LATITUDE_TITLE">
        <source>Latitude</source>
        <translation>Breite</translation>
    </message>
    <message id="EXPORT_EXCEL_LONGITUDE_TITLE">
        <source>Longitude</source>
        <translation>Länge</translation>
    </message>
    <message id="EXPORT_EXCEL_VELOCITY_TITLE">
        <source>Speed (km/h)</source>
        <translation>Geschwindigkeit (km/h)</translation>
    </message>
    <message id="EXPORT_EXCEL_ALTITUDE_TITLE">
        <source>Altitude (m)</source>
        <translation>Höhe (m)</translation>
    </message>
    <message id="UPDATE_AVAILABLE_TITLE">
        <source>Korvela Player %1 is available</source>
        <translation>Korvela Player %1 ist verfügbar</translation>
    </message>
    <message id="UPDATE_AVAILABLE_MESSAGE">
        <source>This copy cannot update itself: it was installed by the system's package manager or in a folder you cannot change. Get the new version from your package manager or from %1</source>
        <translation>Diese Kopie kann sich nicht selbst aktualisieren: Sie wurde von der Paketverwaltung des Systems oder in einen Ordner installiert, den Sie nicht ändern können. Die neue Version erhalten Sie über Ihre Paketverwaltung oder unter %1</translation>
    </message>
    <message id="UPTATE_READY_TITLE">
        <source>A new version of Korvela Player is available</source>
        <translation>Eine neue Version von Korvela Player ist verfügbar</translation>
    </message>
    <message id="UPTATE_READY_MESSAGE">
        <source>Install it now? Korvela Player will restart.</source>
        <translation>Jetzt installieren? Korvela Player wird neu gestartet.</translation>
    </message>
    <message id="UPTATE_FIRMWARE_READY_TITLE">
        <source>New camera firmware is available</source>
        <translation>Neue Kamera-Firmware ist verfügbar</translation>
    </message>
    <message id="UPTATE_FIRMWARE_READY_MESSAGE">
        <source>Download it and put it on the camera's memory card?</source>
        <translation>Herunterladen und auf die Speicherkarte der Kamera kopieren?</translation>
    </message>
    <message id="UPTATE_FIRMWARE_FINISHED_TITLE">
        <source>The firmware is on the memory card</source>
        <translation>Die Firmware ist auf der Speicherkarte</translation>
    </message>
    <message id="UPTATE_FIRMWARE_FINISHED_MESSAGE">
        <source>Eject the card safely and put it back into the camera. The camera installs the firmware the next time it starts.</source>
        <translation>Werfen Sie die Karte sicher aus und stecken Sie sie wieder in die Kamera. Die Kamera installiert die Firmware beim nächsten Start.</translation>
    </message>
    <message id="UPTATE_FAILED_FINISHED_TITLE">
        <source>The firmware update failed</source>
        <translation>Die Firmware-Aktualisierung ist fehlgeschlagen</translation>
    </message>
    <message id="UPTATE_FAILED_FINISHED_MESSAGE">
        <source>The firmware could not be downloaded or written to the memory card. Nothing on the card was changed.</source>
        <translation>Die Firmware konnte nicht heruntergeladen oder auf die Speicherkarte geschrieben werden. Auf der Karte wurde nichts geändert.</translation>
    </message>
    <message id="UPTATE_INSTALLING_TITLE">
        <source>Installing the new version of Korvela Player…</source>
        <translation>Die neue Version von Korvela Player wird installiert…</translation>
    </message>
    <message id="STATUS_GRAPHS_HIDDEN">
        <source>Graphs left out for want of room: %1. Make the graphs area taller to see them.</source>
        <translation>Aus Platzmangel ausgeblendete Diagramme: %1. Vergrößern Sie den Diagrammbereich, um sie zu sehen.</translation>
    </message>
    <message id="STATUS_READING_METADATA">
        <source>Reading %1 of %2</source>
        <translation>Lese %1 von %2</translation>
    </message>
    <message id="MENU_FILE">
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message id="MENU_OPEN">
        <source>&amp;Open…</source>
        <translation>&amp;Öffnen…</translation>
    </message>
    <message id="MENU_WHATS_NEW">
        <source>&amp;What's New</source>
        <translation>&amp;Was ist neu</translation>
    </message>
    <message id="MENU_QUIT">
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message id="MENU_HELP">
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message id="MENU_ABOUT">
        <source>&amp;About Korvela Player</source>
        <translation>Ü&amp;ber Korvela Player</translation>
    </message>
    <message id="MENU_REPORT_UNREAD_CAMERA">
        <source>&amp;Report an Unread Camera…</source>
        <translation>Nicht gelesene &amp;Kamera melden…</translation>
    </message>
    <message id="REPORT_UNREAD_CAMERA_TITLE">
        <source>Report an unread camera</source>
        <translation>Nicht gelesene Kamera melden</translation>
    </message>
    <message id="REPORT_SELECT_RECORDING">
        <source>Select the recording whose camera is not read, then choose this command again.</source>
        <translation>Wählen Sie die Aufnahme, deren Kamera nicht gelesen wird, und wählen Sie den Befehl dann erneut.</translation>
    </message>
    <message id="CLOCK_PROPOSAL_TEXT">
        <source>The camera's clock for %1 is off its GPS time by %2.</source>
        <translation>Die Kamerauhr für %1 weicht um %2 von der GPS-Zeit ab.</translation>
    </message>
    <message id="CLOCK_PROPOSAL_APPLY">
        <source>Correct by %1</source>
        <translation>Um %1 korrigieren</translation>
    </message>
    <message id="CLOCK_PROPOSAL_DISMISS">
        <source>Keep the recordings' times as the camera's clock gives them</source>
        <translation>Die Zeiten der Aufnahmen so lassen, wie die Kamerauhr sie angibt</translation>
    </message>
    <message id="CLOCK_PROPOSAL_APPLIED">
        <source>The camera's clock for %1 is corrected by %2.</source>
        <translation>Die Kamerauhr für %1 wird um %2 korrigiert.</translation>
    </message>
    <message id="CLOCK_PROPOSAL_LOCAL_FIXES">
        <source>GPS time is the camera's clock</source>
        <translation>GPS-Zeit ist die Kamerauhr</translation>
    </message>
    <message id="CLOCK_PROPOSAL_LOCAL_FIXES_TIP">
        <source>The recording's names are right, and its GPS times are the camera's local time in %1 written as UTC, as some cameras write them after a cold start: read such times in %1.</source>
        <translation>Die Namen der Aufnahme stimmen, und ihre GPS-Zeiten sind die Ortszeit der Kamera in %1, als UTC geschrieben, wie manche Kameras sie nach einem Kaltstart schreiben: solche Zeiten in %1 lesen.</translation>
    </message>
    <message id="CLOCK_PROPOSAL_LOCAL_APPLIED">
        <source>GPS times of %1 that follow the camera's clock are read in %2.</source>
        <translation>GPS-Zeiten von %1, die der Kamerauhr folgen, werden in %2 gelesen.</translation>
    </message>
    <message id="MENU_PLAYBACK">
        <source>&amp;Playback</source>
        <translation>&amp;Wiedergabe</translation>
    </message>
    <message id="MENU_PLAY_PAUSE">
        <source>&amp;Play / Pause</source>
        <translation>&amp;Wiedergabe / Pause</translation>
    </message>
    <message id="MENU_FAST_FORWARD">
        <source>&amp;Fast Forward</source>
        <translation>Schneller &amp;Vorlauf</translation>
    </message>
    <message id="MENU_REWIND">
        <source>&amp;Rewind</source>
        <translation>Schneller &amp;Rücklauf</translation>
    </message>
    <message id="MENU_NEXT_FRAME">
        <source>&amp;Next Frame</source>
        <translation>&amp;Nächstes Bild</translation>
    </message>
    <message id="MENU_PREVIOUS_FRAME">
        <source>Pre&amp;vious Frame</source>
        <translation>Vor&amp;heriges Bild</translation>
    </message>
    <message id="MENU_STEP_FORWARD">
        <source>Step For&amp;ward</source>
        <translation>Schritt v&amp;orwärts</translation>
    </message>
    <message id="MENU_STEP_BACKWARD">
        <source>Step &amp;Backward</source>
        <translation>Schritt &amp;zurück</translation>
    </message>
    <message id="MENU_SCREENSHOT">
        <source>Save Still P&amp;icture…</source>
        <translation>&amp;Standbild speichern…</translation>
    </message>
    <message id="MENU_ZOOM_IN">
        <source>&amp;Zoom In</source>
        <translation>Ver&amp;größern</translation>
    </message>
    <message id="MENU_ZOOM_OUT">
        <source>Zoom &amp;Out</source>
        <translation>Ver&amp;kleinern</translation>
    </message>
    <message id="MENU_FIT_TO_SIZE">
        <source>Fi&amp;t to Window</source>
        <translation>An &amp;Fenster anpassen</translation>
    </message>
    <message id="MENU_CAMERA">
        <source>&amp;Camera</source>
        <translation>&amp;Kamera</translation>
    </message>
    <message id="MENU_CAMERA_FRONT">
        <source>Front</source>
        <translation>Vorne</translation>
    </message>
    <message id="MENU_CAMERA_REAR">
        <source>Rear</source>
        <translation>Hinten</translation>
    </message>
    <message id="MENU_CAMERA_INTERIOR">
        <source>Interior</source>
        <translation>Innenraum</translation>
    </message>
    <message id="MENU_CAMERA_OPTIONAL">
        <source>Optional</source>
        <translation>Zusätzlich</translation>
    </message>
    <message id="MENU_CAMERA_LEFT">
        <source>Left</source>
        <translation>Links</translation>
    </message>
    <message id="MENU_CAMERA_RIGHT">
        <source>Right</source>
        <translation>Rechts</translation>
    </message>
    <message id="MENU_CAMERA_LEFT_PILLAR">
        <source>Left Pillar</source>
        <translation>Linke Säule</translation>
    </message>
    <message id="MENU_CAMERA_RIGHT_PILLAR">
        <source>Right Pillar</source>
        <translation>Rechte Säule</translation>
    </message>
    <message id="MENU_VIEW_SINGLE">
        <source>Single View</source>
        <translation>Einzelansicht</translation>
    </message>
    <message id="MENU_VIEW_PICTURE_IN_PICTURE">
        <source>Picture in Picture</source>
        <translation>Bild im Bild</translation>
    </message>
    <message id="MENU_VIEW_SIDE_BY_SIDE">
        <source>Side by Side</source>
        <translation>Nebeneinander</translation>
    </message>
    <message id="MENU_VIEW_GRID">
        <source>Grid</source>
        <translation>Raster</translation>
    </message>
    <message id="STATUS_GRID_TOO_SLOW">
        <source>This computer cannot decode every view in time: two views are shown side by side.</source>
        <translation>Dieser Computer kann nicht alle Ansichten rechtzeitig dekodieren: zwei Ansichten werden nebeneinander gezeigt.</translation>
    </message>
    <message id="MENU_VIEW_SWAP">
        <source>Swap Views</source>
        <translation>Ansichten tauschen</translation>
    </message>
    <message id="MENU_GRAPHS">
        <source>&amp;Graphs</source>
        <translation>Dia&amp;gramme</translation>
    </message>
    <message id="MENU_SETTINGS">
        <source>&amp;Settings</source>
        <translation>&amp;Einstellungen</translation>
    </message>
    <message id="MENU_LANGUAGE">
        <source>&amp;Language</source>
        <translation>&amp;Sprache</translation>
    </message>
    <message id="MENU_MAP_PROVIDER">
        <source>&amp;Map</source>
        <translation>&amp;Karte</translation>
    </message>
    <message id="MENU_UNITS">
        <source>&amp;Units</source>
        <translation>&amp;Maßeinheiten</translation>
    </message>
    <message id="MENU_UNITS_METRIC">
        <source>&amp;Metric (km/h, m)</source>
        <translation>&amp;Metrisch (km/h, m)</translation>
    </message>
    <message id="MENU_UNITS_BRITISH">
        <source>&amp;British (mph, ft)</source>
        <translation>&amp;Britisch (mph, ft)</translation>
    </message>
    <message id="MODE_NORMAL">
        <source>Normal</source>
        <translation>Normal</translation>
    </message>
    <message id="MODE_EVENT">
        <source>Event</source>
        <translation>Ereignis</translation>
    </message>
    <message id="MODE_PARKING">
        <source>Parking</source>
        <translation>Parken</translation>
    </message>
    <message id="MODE_MANUAL">
        <source>Manual</source>
        <translation>Manuell</translation>
    </message>
    <message id="MODE_OTHER">
        <source>Other</source>
        <translation>Andere</translation>
    </message>
    <message id="FILTER_ALL_RECORDINGS">
        <source>All recordings</source>
        <translation>Alle Aufnahmen</translation>
    </message>
    <message id="MODE_FILTER_TOOLTIP">
        <source>Show only recordings of this kind</source>
        <translation>Nur Aufnahmen dieser Art zeigen</translation>
    </message>
    <message id="TOOLTIP_MODE">
        <source>Mode: %1</source>
        <translation>Modus: %1</translation>
    </message>
    <message id="TOOLTIP_EVENT_RECORDINGS">
        <source>Event recordings: %1</source>
        <translation>Ereignisaufnahmen: %1</translation>
    </message>
    <message id="TOOLTIP_CAMERA_MODEL">
        <source>Camera: %1</source>
        <translation>Kamera: %1</translation>
    </message>
    <message id="TOOLTIP_NO_TRACK">
        <source>No track: %1</source>
        <translation>Keine Strecke: %1</translation>
    </message>
    <message id="TOOLTIP_NO_TRACK_NOT_READ">
        <source>not read: no known camera format</source>
        <translation>nicht gelesen: kein bekanntes Kameraformat</translation>
    </message>
    <message id="TOOLTIP_NO_TRACK_NO_FIX">
        <source>the camera had no GPS fix yet</source>
        <translation>die Kamera hatte noch keinen GPS-Empfang</translation>
    </message>
    <message id="TOOLTIP_NO_TRACK_ENCRYPTED">
        <source>the camera's GPS data is encrypted</source>
        <translation>die GPS-Daten der Kamera sind verschlüsselt</translation>
    </message>
    <message id="TOOLTIP_NO_TRACK_UNKNOWN_LAYOUT">
        <source>the camera's GPS data is in a layout not known yet</source>
        <translation>die GPS-Daten der Kamera haben ein noch unbekanntes Format</translation>
    </message>
    <message id="TOOLTIP_NO_TRACK_UNREADABLE">
        <source>the file could not be read</source>
        <translation>die Datei konnte nicht gelesen werden</translation>
    </message>
    <message id="TOOLTIP_DATED_BY_FILE">
        <source>Dated by the file's modification time: neither the camera's data nor the file's name tell when it was recorded.</source>
        <translation>Nach der Änderungszeit der Datei datiert: weder die Daten der Kamera noch der Dateiname sagen, wann aufgenommen wurde.</translation>
    </message>
    <message id="MENU_GO_TO_START">
        <source>Go to &amp;Start</source>
        <translation>Zum &amp;Anfang</translation>
    </message>
    <message id="MENU_GO_TO_END">
        <source>Go to &amp;End</source>
        <translation>Zum &amp;Ende</translation>
    </message>
    <message id="MENU_FULL_SCREEN">
        <source>F&amp;ull Screen</source>
        <translation>Vo&amp;llbild</translation>
    </message>
    <message id="STATUS_NO_RECORDINGS_FOUND">
        <source>No recordings found in %1</source>
        <translation>Keine Aufnahmen gefunden in %1</translation>
    </message>
    <message id="FILE_LIST_EMPTY_HINT">
        <source>No recordings yet.

Insert a camera&apos;s memory card, or choose Add to open recordings or a folder of them. You can also drop them here.</source>
        <translation>Noch keine Aufnahmen.

Stecken Sie die Speicherkarte einer Kamera ein oder wählen Sie „Hinzufügen“, um Aufnahmen oder einen Ordner damit zu öffnen. Sie können sie auch hierher ziehen.</translation>
    </message>
    <message id="ADD_VIDEO_TOOLTIP">
        <source>Add recordings or folders</source>
        <translation>Aufnahmen oder Ordner hinzufügen</translation>
    </message>
    <message id="DELETE_RECORDINGS_COUNT">
        <source>Recordings: %1</source>
        <translation>Aufnahmen: %1</translation>
    </message>
    <message id="DELETE_VIDEO_FILES">
        <source>Video files: %1 (camera views: %2)</source>
        <translation>Videodateien: %1 (Kameraansichten: %2)</translation>
    </message>
    <message id="DELETE_DATA_FILES_UNREAD">
        <source>Data files: %1 named so far, and any other found beside the recordings</source>
        <translation>Datendateien: %1 bisher bekannte und alle weiteren neben den Aufnahmen</translation>
    </message>
    <message id="DELETE_DATA_FILES">
        <source>Data files (track, sensors): %1</source>
        <translation>Datendateien (Strecke, Sensoren): %1</translation>
    </message>
    <message id="DELETE_LOCKED_STAY">
        <source>Locked recordings stay on the disk: %1</source>
        <translation>Geschützte Aufnahmen bleiben auf dem Datenträger: %1</translation>
    </message>
    <message id="ERROR_CANT_SHOW_FOLDER">
        <source>No file manager is set up to show the folder %1.</source>
        <translation>Kein Dateimanager ist eingerichtet, um den Ordner %1 zu zeigen.</translation>
    </message>
    <message id="ERROR_WHATS_NEW_MISSING">
        <source>The notes on this version are not installed.</source>
        <translation>Die Hinweise zu dieser Version sind nicht installiert.</translation>
    </message>
    <message id="ERROR_CANT_OPEN_WHATS_NEW">
        <source>No program is set up to open the notes on this version. They are in %1</source>
        <translation>Kein Programm ist eingerichtet, um die Hinweise zu dieser Version zu öffnen. Sie liegen in %1</translation>
    </message>
    <message id="GRAPH_NO_DATA">
        <source>No data</source>
        <translation>Keine Daten</translation>
    </message>
    <message id="MAP_TILES_OFFLINE">
        <source>Map tiles are not available offline</source>
        <translation>Kartenkacheln sind offline nicht verfügbar</translation>
    </message>
    <message id="CHOOSE_FOLDER_BUTTON">
        <source>Choose Folder</source>
        <translation>Ordner wählen</translation>
    </message>
    <message id="EXPORT_SAVED_FILES">
        <source>Saved: %1</source>
        <translation>Gespeichert: %1</translation>
    </message>
    <message id="MENU_MARK_IN">
        <source>Mark Clip &amp;Start</source>
        <translation>Clip-&amp;Anfang setzen</translation>
    </message>
    <message id="MENU_MARK_OUT">
        <source>Mark Clip En&amp;d</source>
        <translation>Clip-&amp;Ende setzen</translation>
    </message>
    <message id="MENU_CLEAR_MARKS">
        <source>&amp;Clear Clip Marks</source>
        <translation>Clip-Marken &amp;löschen</translation>
    </message>
    <message id="MENU_EXPORT_CLIP">
        <source>E&amp;xport Clip…</source>
        <translation>Clip e&amp;xportieren…</translation>
    </message>
    <message id="CLIP_DIALOG_TITLE">
        <source>Export Clip</source>
        <translation>Clip exportieren</translation>
    </message>
    <message id="CLIP_NOTHING_PLAYING">
        <source>Play the trip or recording the clip is to come from, then choose this again.</source>
        <translation>Spielen Sie die Fahrt oder Aufnahme ab, aus der der Clip stammen soll, und wählen Sie diesen Befehl dann erneut.</translation>
    </message>
    <message id="CLIP_RANGE_LABEL">
        <source>Range:</source>
        <translation>Bereich:</translation>
    </message>
    <message id="CLIP_RANGE_MARKED">
        <source>Between the marks (%1)</source>
        <translation>Zwischen den Marken (%1)</translation>
    </message>
    <message id="CLIP_RANGE_RECORDING">
        <source>This recording (%1)</source>
        <translation>Diese Aufnahme (%1)</translation>
    </message>
    <message id="CLIP_RANGE_AROUND">
        <source>30 s before and after the position (%1)</source>
        <translation>30 s vor und nach der Position (%1)</translation>
    </message>
    <message id="CLIP_LAYOUT_LABEL">
        <source>Cameras:</source>
        <translation>Kameras:</translation>
    </message>
    <message id="CLIP_LAYOUT_FRONT">
        <source>Front camera only</source>
        <translation>Nur Frontkamera</translation>
    </message>
    <message id="CLIP_LAYOUT_REAR">
        <source>Rear camera only</source>
        <translation>Nur Heckkamera</translation>
    </message>
    <message id="CLIP_LAYOUT_PIP">
        <source>Picture in picture</source>
        <translation>Bild im Bild</translation>
    </message>
    <message id="CLIP_LAYOUT_SIDE">
        <source>Side by side</source>
        <translation>Nebeneinander</translation>
    </message>
    <message id="CLIP_LAYOUT_GRID">
        <source>Grid of all cameras</source>
        <translation>Raster aller Kameras</translation>
    </message>
    <message id="CLIP_READOUTS_LABEL">
        <source>Burn in:</source>
        <translation>Einblenden:</translation>
    </message>
    <message id="CLIP_READOUT_TIME">
        <source>Date and time</source>
        <translation>Datum und Uhrzeit</translation>
    </message>
    <message id="CLIP_READOUT_SPEED">
        <source>Speed</source>
        <translation>Geschwindigkeit</translation>
    </message>
    <message id="CLIP_READOUT_POSITION">
        <source>Position</source>
        <translation>Position</translation>
    </message>
    <message id="CLIP_READOUT_HEADING">
        <source>Heading</source>
        <translation>Fahrtrichtung</translation>
    </message>
    <message id="CLIP_READOUT_MAP">
        <source>Map</source>
        <translation>Karte</translation>
    </message>
    <message id="CLIP_READOUT_ACCELERATION">
        <source>Acceleration</source>
        <translation>Beschleunigung</translation>
    </message>
    <message id="CLIP_QUALITY_LABEL">
        <source>Quality:</source>
        <translation>Qualität:</translation>
    </message>
    <message id="CLIP_QUALITY_ORIGINAL">
        <source>Original (copied, not re-encoded)</source>
        <translation>Original (kopiert, nicht neu kodiert)</translation>
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
        <translation>Ton</translation>
    </message>
    <message id="CLIP_GPX">
        <source>Also save the clip&apos;s GPS track (GPX)</source>
        <translation>GPS-Track des Clips zusätzlich speichern (GPX)</translation>
    </message>
    <message id="CLIP_FOLDER_LABEL">
        <source>Save in:</source>
        <translation>Speichern in:</translation>
    </message>
    <message id="CLIP_CHOOSE_FOLDER">
        <source>Choose…</source>
        <translation>Auswählen…</translation>
    </message>
    <message id="CLIP_NAME_LABEL">
        <source>Name:</source>
        <translation>Name:</translation>
    </message>
    <message id="CLIP_EXPORT_BUTTON">
        <source>Export</source>
        <translation>Exportieren</translation>
    </message>
    <message id="CLIP_UNREADABLE_FILES">
        <source>These files cannot be read and are left out: %1</source>
        <translation>Diese Dateien können nicht gelesen werden und werden ausgelassen: %1</translation>
    </message>
    <message id="CLIP_FOLDER_UNUSABLE">
        <source>The folder "%1" does not exist or cannot be written to. Choose another one.</source>
        <translation>Der Ordner „%1“ existiert nicht oder ist nicht beschreibbar. Wählen Sie einen anderen.</translation>
    </message>
    <message id="CLIP_CANCEL">
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message id="CLIP_TIME_LEFT">
        <source>%1 left</source>
        <translation>noch %1</translation>
    </message>
    <message id="CLIP_CANCELLED">
        <source>The clip export was cancelled; nothing was saved.</source>
        <translation>Der Clip-Export wurde abgebrochen; nichts wurde gespeichert.</translation>
    </message>
    <message id="CLIP_FAILED">
        <source>The clip could not be exported</source>
        <translation>Der Clip konnte nicht exportiert werden</translation>
    </message>
    <message id="CLIP_SAVED">
        <source>Clip saved: %1</source>
        <translation>Clip gespeichert: %1</translation>
    </message>
    <message id="CLIP_MANIFEST_SAVED">
        <source>evidence: %1</source>
        <translation>Nachweis: %1</translation>
    </message>
    <message id="CLIP_GPX_SAVED">
        <source>track: %1</source>
        <translation>Track: %1</translation>
    </message>
    <message id="CLIP_SKIPPED">
        <source>Left out, not readable: %1</source>
        <translation>Ausgelassen, nicht lesbar: %1</translation>
    </message>
    <message id="COLUMN_DISTANCE_TITLE">
        <source>Distance</source>
        <translation>Strecke</translation>
    </message>
    <message id="TOOLTIP_TRIP_DISTANCE">
        <source>Distance: %1</source>
        <translation>Strecke: %1</translation>
    </message>
    <message id="TOOLTIP_TRIP_DRIVING">
        <source>Driving: %1</source>
        <translation>Fahrzeit: %1</translation>
    </message>
    <message id="TOOLTIP_TRIP_STOPPED">
        <source>Stopped: %1</source>
        <translation>Standzeit: %1</translation>
    </message>
    <message id="TOOLTIP_TRIP_TOP_SPEED">
        <source>Top speed: %1</source>
        <translation>Höchstgeschwindigkeit: %1</translation>
    </message>
    <message id="TOOLTIP_TRIP_AVERAGE_SPEED">
        <source>Average moving speed: %1</source>
        <translation>Durchschnitt in Fahrt: %1</translation>
    </message>
    <message id="TOOLTIP_TRIP_START">
        <source>Start: %1</source>
        <translation>Start: %1</translation>
    </message>
    <message id="TOOLTIP_TRIP_END">
        <source>End: %1</source>
        <translation>Ende: %1</translation>
    </message>
    <message id="MENU_VIEW">
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message id="MENU_SHOW_EVENTS">
        <source>&amp;Events</source>
        <translation>&amp;Ereignisse</translation>
    </message>
    <message id="MENU_WHOLE_CARD_MAP">
        <source>Whole &amp;Card on Map</source>
        <translation>Ganze Speicher&amp;karte auf der Karte</translation>
    </message>
    <message id="CARD_MAP_DAY">
        <source>%1 · trips: %2 · %3 · driving %4</source>
        <translation>%1 · Fahrten: %2 · %3 · gefahren %4</translation>
    </message>
    <message id="CARD_MAP_READING">
        <source>Reading the tracks: %1 of %2</source>
        <translation>Fahrtspuren werden gelesen: %1 von %2</translation>
    </message>
    <message id="CARD_MAP_NO_TRACKS">
        <source>No recording in the list has a GPS track</source>
        <translation>Keine Aufnahme in der Liste hat eine GPS-Spur</translation>
    </message>
    <message id="CARD_MAP_CLICK_TO_PLAY">
        <source>Click a route to play that moment</source>
        <translation>Klick auf eine Route spielt diesen Moment ab</translation>
    </message>
    <message id="MENU_NEXT_EVENT">
        <source>Next E&amp;vent</source>
        <translation>Nächstes E&amp;reignis</translation>
    </message>
    <message id="MENU_PREVIOUS_EVENT">
        <source>Previous Eve&amp;nt</source>
        <translation>Vorheriges Ereig&amp;nis</translation>
    </message>
    <message id="EVENTS_COLUMN_TIME">
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message id="EVENTS_COLUMN_KIND">
        <source>Event</source>
        <translation>Ereignis</translation>
    </message>
    <message id="EVENTS_COLUMN_STRENGTH">
        <source>Strength</source>
        <translation>Stärke</translation>
    </message>
    <message id="EVENTS_COLUMN_RECORDING">
        <source>Recording</source>
        <translation>Aufnahme</translation>
    </message>
    <message id="EVENT_KIND_CAMERA_EVENT">
        <source>Camera event</source>
        <translation>Kameraereignis</translation>
    </message>
    <message id="EVENT_KIND_CAMERA_MANUAL">
        <source>Event button</source>
        <translation>Ereignistaste</translation>
    </message>
    <message id="EVENT_KIND_CAMERA_PARKING_IMPACT">
        <source>Impact while parked</source>
        <translation>Stoß beim Parken</translation>
    </message>
    <message id="EVENT_KIND_CAMERA_OVER_SPEED">
        <source>Camera's speed alarm</source>
        <translation>Tempowarnung der Kamera</translation>
    </message>
    <message id="EVENT_KIND_IMPACT">
        <source>Impact</source>
        <translation>Aufprall</translation>
    </message>
    <message id="EVENT_KIND_HARD_BRAKING">
        <source>Hard braking</source>
        <translation>Starkes Bremsen</translation>
    </message>
    <message id="EVENT_KIND_HARD_ACCELERATION">
        <source>Hard acceleration</source>
        <translation>Starkes Beschleunigen</translation>
    </message>
    <message id="EVENT_KIND_SHARP_TURN">
        <source>Sharp turn</source>
        <translation>Scharfe Kurve</translation>
    </message>
    <message id="EVENT_KIND_HARSH_DRIVING">
        <source>Harsh driving</source>
        <translation>Ruppige Fahrweise</translation>
    </message>
    <message id="EVENT_KIND_OVER_SPEED">
        <source>Over the speed limit</source>
        <translation>Über dem Tempolimit</translation>
    </message>
    <message id="TOOLTIP_DAY_TRIPS">
        <source>Trips this day: %1</source>
        <translation>Fahrten an diesem Tag: %1</translation>
    </message>
    <message id="TOOLTIP_DAY_DISTANCE">
        <source>Distance this day: %1</source>
        <translation>Strecke an diesem Tag: %1</translation>
    </message>
    <message id="TOOLTIP_DAY_DRIVING">
        <source>Driving this day: %1</source>
        <translation>Fahrzeit an diesem Tag: %1</translation>
    </message>
    <message id="SHORTCUTS_TITLE">
        <source>Keyboard Shortcuts</source>
        <translation>Tastenkürzel</translation>
    </message>
    <message id="MENU_SHORTCUTS">
        <source>&amp;Keyboard Shortcuts</source>
        <translation>&amp;Tastenkürzel</translation>
    </message>
    <message id="SHORTCUTS_COMMAND">
        <source>Command</source>
        <translation>Befehl</translation>
    </message>
    <message id="SHORTCUTS_KEYS">
        <source>Keys</source>
        <translation>Tasten</translation>
    </message>
    <message id="MENU_LEAVE_FULL_SCREEN">
        <source>Leave Full Screen</source>
        <translation>Vollbild verlassen</translation>
    </message>
    <message id="COLUMN_DURATION_TOOLTIP">
        <source>Duration of the recording or trip</source>
        <translation>Dauer der Aufnahme oder Fahrt</translation>
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
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message id="MENU_UNDO">
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message id="MENU_UNDO_STEP">
        <source>&amp;Undo %1</source>
        <translation>&amp;Rückgängig: %1</translation>
    </message>
    <message id="MENU_REDO">
        <source>&amp;Redo</source>
        <translation>&amp;Wiederholen</translation>
    </message>
    <message id="MENU_REDO_STEP">
        <source>&amp;Redo %1</source>
        <translation>&amp;Wiederholen: %1</translation>
    </message>
    <message id="MENU_SPLIT_TRIP">
        <source>Split Trip Here</source>
        <translation>Fahrt hier teilen</translation>
    </message>
    <message id="MENU_JOIN_TRIP">
        <source>Join with Next Trip</source>
        <translation>Mit nächster Fahrt verbinden</translation>
    </message>
    <message id="TRIP_STEP_SPLIT">
        <source>Split Trip</source>
        <translation>Fahrt teilen</translation>
    </message>
    <message id="TRIP_STEP_JOIN">
        <source>Join Trips</source>
        <translation>Fahrten verbinden</translation>
    </message>
    <message id="CLIP_RANGE_EVENT">
        <source>30 s before and after the event (%1)</source>
        <translation>30 s vor und nach dem Ereignis (%1)</translation>
    </message>
    <message id="MENU_IMPORT_TRACK">
        <source>Import Track…</source>
        <translation>Track importieren…</translation>
    </message>
    <message id="MENU_REMOVE_IMPORTED_TRACK">
        <source>Remove Imported Track</source>
        <translation>Importierten Track entfernen</translation>
    </message>
    <message id="IMPORT_TRACK_TITLE">
        <source>Import Track</source>
        <translation>Track importieren</translation>
    </message>
    <message id="IMPORT_TRACK_FILE_TYPES">
        <source>Tracks (*.gpx *.kml *.nmea *.txt *.log);;All files (*)</source>
        <translation>Tracks (*.gpx *.kml *.nmea *.txt *.log);;Alle Dateien (*)</translation>
    </message>
    <message id="IMPORT_TRACK_WHOLE_CARD">
        <source>Import for every recording of the card</source>
        <translation>Für alle Aufnahmen der Karte importieren</translation>
    </message>
    <message id="IMPORT_TRACK_ONLY_FOR">
        <source>Import only for %1</source>
        <translation>Nur für %1 importieren</translation>
    </message>
    <message id="IMPORT_TRACK_PREFER_IMPORTED">
        <source>Use the imported track also where the camera recorded its own</source>
        <translation>Den importierten Track auch dort verwenden, wo die Kamera einen eigenen aufgezeichnet hat</translation>
    </message>
    <message id="IMPORT_TRACK_NO_SELECTION_TITLE">
        <source>Choose a recording first</source>
        <translation>Wählen Sie zuerst eine Aufnahme</translation>
    </message>
    <message id="IMPORT_TRACK_NO_SELECTION_MESSAGE">
        <source>Select a recording or trip of the card in the list, then import the track for it.</source>
        <translation>Wählen Sie in der Liste eine Aufnahme oder Fahrt der Karte und importieren Sie dann den Track dafür.</translation>
    </message>
    <message id="IMPORT_TRACK_FAILED_TITLE">
        <source>The track could not be imported</source>
        <translation>Der Track konnte nicht importiert werden</translation>
    </message>
    <message id="IMPORT_TRACK_UNREADABLE">
        <source>The file could not be read.</source>
        <translation>Die Datei konnte nicht gelesen werden.</translation>
    </message>
    <message id="IMPORT_TRACK_UNKNOWN_FORMAT">
        <source>The file is not a GPX, KML or NMEA track.</source>
        <translation>Die Datei ist kein GPX-, KML- oder NMEA-Track.</translation>
    </message>
    <message id="IMPORT_TRACK_DAMAGED">
        <source>The %1 file is damaged.</source>
        <translation>Die %1-Datei ist beschädigt.</translation>
    </message>
    <message id="IMPORT_TRACK_NO_TIMED_POINT">
        <source>The %1 file holds no position with a time, so it cannot be matched to the recordings.</source>
        <translation>Die %1-Datei enthält keine Position mit Zeitangabe und kann daher den Aufnahmen nicht zugeordnet werden.</translation>
    </message>
    <message id="STATUS_IMPORTING_TRACK">
        <source>Importing %1…</source>
        <translation>%1 wird importiert…</translation>
    </message>
    <message id="STATUS_TRACK_IMPORTED">
        <source>Imported track: %1 recordings lie within its time</source>
        <translation>Importierter Track: %1 Aufnahmen liegen in seinem Zeitraum</translation>
    </message>
    <message id="REMOVE_IMPORTED_TRACK_FAILED_TITLE">
        <source>The imported track could not be removed</source>
        <translation>Der importierte Track konnte nicht entfernt werden</translation>
    </message>
    <message id="STATUS_IMPORTED_TRACK_REMOVED">
        <source>The imported track is removed; the camera's own data shows again</source>
        <translation>Der importierte Track ist entfernt; die eigenen Daten der Kamera werden wieder gezeigt</translation>
    </message>
    <message id="STATUS_NO_IMPORTED_TRACK">
        <source>No imported track shows for this recording</source>
        <translation>Für diese Aufnahme wird kein importierter Track gezeigt</translation>
    </message>
    <message id="TOOLTIP_TRACK_IMPORTED">
        <source>Track imported from another device</source>
        <translation>Track von einem anderen Gerät importiert</translation>
    </message>
</context>
</TS>
