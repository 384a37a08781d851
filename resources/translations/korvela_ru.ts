<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name></name>
    <message id="APPLY_SETTINGS_RESTART_TITLE">
        <source>Restart required</source>
        <translation>Требуется перезапуск</translation>
    </message>
    <message id="APPLY_SETTINGS_RESTART_MESSAGE">
        <source>The new language will be used the next time you start Korvela Player.</source>
        <translation>Новый язык будет использован при следующем запуске Korvela Player.</translation>
    </message>
    <message id="PLAY_PAUSE_TOOLTIP">
        <source>Play / pause</source>
        <translation>Воспроизведение / пауза</translation>
    </message>
    <message id="FAST_FORWARD_TOOLTIP">
        <source>Fast forward</source>
        <translation>Перемотка вперёд</translation>
    </message>
    <message id="REWIND_TOOLTIP">
        <source>Rewind</source>
        <translation>Перемотка назад</translation>
    </message>
    <message id="FIT_VIDEO_TOOLTIP">
        <source>Fit video to the window</source>
        <translation>Вписать видео в окно</translation>
    </message>
    <message id="ZOOM_IN_TOOLTIP">
        <source>Zoom in</source>
        <translation>Увеличить</translation>
    </message>
    <message id="ZOOM_OUT_TOOLTIP">
        <source>Zoom out</source>
        <translation>Уменьшить</translation>
    </message>
    <message id="SCREENSHOT_TOOLTIP">
        <source>Save a still picture</source>
        <translation>Сохранить кадр</translation>
    </message>
    <message id="NEXT_FRAME_TOOLTIP">
        <source>Next frame</source>
        <translation>Следующий кадр</translation>
    </message>
    <message id="PREVIOUS_FRAME_TOOLTIP">
        <source>Previous frame</source>
        <translation>Предыдущий кадр</translation>
    </message>
    <message id="FULL_SCREEN_TOOLTIP">
        <source>Full screen</source>
        <translation>Во весь экран</translation>
    </message>
    <message id="ADD_VIDEO_TITLE">
        <source>Add</source>
        <translation>Добавить</translation>
    </message>
    <message id="REMOVE_VIDEO_TITLE">
        <source>Remove</source>
        <translation>Удалить</translation>
    </message>
    <message id="COLUMN_FILENAME_TITLE">
        <source>Name</source>
        <translation>Имя</translation>
    </message>
    <message id="COLUMN_DURATION_TITLE">
        <source>Duration</source>
        <translation>Длит.</translation>
    </message>
    <message id="COLUMN_CREATED_TITLE">
        <source>Recorded</source>
        <translation>Дата записи</translation>
    </message>
    <message id="MENU_REVEAL_IN_FINDER">
        <source>&amp;Show in file manager</source>
        <translation>&amp;Показать в файловом менеджере</translation>
    </message>
    <message id="MENU_EXPORT_TO_GPX">
        <source>Export to &amp;GPX…</source>
        <translation>Экспорт в &amp;GPX…</translation>
    </message>
    <message id="MENU_EXPORT_TO_KML">
        <source>Export to &amp;KML…</source>
        <translation>Экспорт в &amp;KML…</translation>
    </message>
    <message id="MENU_EXPORT_TO_EXCEL">
        <source>Export to s&amp;preadsheet…</source>
        <translation>Экспорт в &amp;таблицу…</translation>
    </message>
    <message id="KM_PER_HOUR">
        <source>km/h</source>
        <translation>км/ч</translation>
    </message>
    <message id="MILES_PER_HOUR">
        <source>mph</source>
        <translation>миль/ч</translation>
    </message>
    <message id="LABEL_ALTITUDE_TITLE">
        <source>Altitude</source>
        <translation>Высота</translation>
    </message>
    <message id="LABEL_ALTITUDE_METER">
        <source>m</source>
        <translation>м</translation>
    </message>
    <message id="LABEL_ALTITUDE_FOOT">
        <source>ft</source>
        <translation>фут</translation>
    </message>
    <message id="ERROR_TITLE">
        <source>Error</source>
        <translation>Ошибка</translation>
    </message>
    <message id="ERROR_CANT_PLAY_VIDEO">
        <source>The video cannot be played.</source>
        <translation>Не удаётся воспроизвести видео.</translation>
    </message>
    <message id="ERROR_CANT_PLAY_FILE">
        <source>The recording &quot;%1&quot; cannot be played.</source>
        <translation>Запись «%1» не может быть воспроизведена.</translation>
    </message>
    <message id="ERROR_CARD_REMOVED">
        <source>The card "%1" was removed: its recordings cannot be played until it is back.</source>
        <translation>Карта «%1» извлечена: её записи нельзя воспроизвести, пока она не вернётся.</translation>
    </message>
    <message id="STATUS_FILE_SKIPPED">
        <source>Skipped &quot;%1&quot;: the recording cannot be played.</source>
        <translation>Запись «%1» пропущена: её нельзя воспроизвести.</translation>
    </message>
    <message id="STATUS_PATHS_NOT_ADDED">
        <source>Not added: %1</source>
        <translation>Не добавлено: %1</translation>
    </message>
    <message id="PATH_DOES_NOT_EXIST">
        <source>&quot;%1&quot; does not exist</source>
        <translation>«%1» не существует</translation>
    </message>
    <message id="PATH_NOT_LOCAL">
        <source>&quot;%1&quot; is not a local file</source>
        <translation>«%1» не является локальным файлом</translation>
    </message>
    <message id="ERROR_CANT_CHANGE_LOCK">
        <source>Some recordings of "%1" could not be locked or unlocked.</source>
        <translation>Не удалось защитить или снять защиту с некоторых записей «%1».</translation>
    </message>
    <message id="ERROR_CANT_DELETE_FILES">
        <source>These recordings are locked or could not be deleted and stay on the disk: %1</source>
        <translation>Эти записи защищены или не могут быть удалены и остаются на диске: %1</translation>
    </message>
    <message id="STATUS_CARD_CHANGED">
        <source>The card changed since it was read; it is read again.</source>
        <translation>Карта изменилась после чтения; она читается заново.</translation>
    </message>
    <message id="ERROR_CARD_CHANGED">
        <source>The card changed since it was read; it is read again. "%1" was left as it is.</source>
        <translation>Карта изменилась после чтения; она читается заново. «%1» оставлена без изменений.</translation>
    </message>
    <message id="ERROR_CANT_SAVE_FILE">
        <source>The file could not be saved: %1</source>
        <translation>Не удалось сохранить файл: %1</translation>
    </message>
    <message id="ERROR_CANT_MAKE_SCREENSHOT">
        <source>The still picture could not be taken: %1</source>
        <translation>Не удалось сделать снимок кадра: %1</translation>
    </message>
    <message id="ARE_YOU_SURE_TITLE">
        <source>Delete the recordings?</source>
        <translation>Удалить записи?</translation>
    </message>
    <message id="ARE_YOU_SURE_MESSAGE">
        <source>These files of "%@" will be deleted from the disk:</source>
        <translation>С диска будут удалены эти файлы «%@»:</translation>
    </message>
    <message id="LOCK_TITLE">
        <source>&amp;Lock</source>
        <translation>&amp;Защитить</translation>
    </message>
    <message id="UNLOCK_TITLE">
        <source>&amp;Unlock</source>
        <translation>&amp;Снять защиту</translation>
    </message>
    <message id="REMOVE_FILE_TITLE">
        <source>&amp;Delete</source>
        <translation>&amp;Удалить с диска</translation>
    </message>
    <message id="VELOCITY_TITLE">
        <source>Speed</source>
        <translation>Скорость</translation>
    </message>
    <message id="ALTITUDE_TITLE">
        <source>Altitude</source>
        <translation>Высота</translation>
    </message>
    <message id="GSENSOR_TITLE">
        <source>Acceleration</source>
        <translation>Ускорение</translation>
    </message>
    <message id="GSENSOR_X_TITLE">
        <source>Acceleration X</source>
        <translation>Ускорение X</translation>
    </message>
    <message id="GSENSOR_Y_TITLE">
        <source>Acceleration Y</source>
        <translation>Ускорение Y</translation>
    </message>
    <message id="GSENSOR_Z_TITLE">
        <source>Acceleration Z</source>
        <translation>Ускорение Z</translation>
    </message>
    <message id="EXPORT_EXCEL_TIME_TITLE">
        <source>Time</source>
        <translation>Время</translation>
    </message>
    <message id="EXPORT_EXCEL_LATITUDE_TITLE">
        <source>Latitude</source>
        <translation>Широта</translation>
    </message>
    <message id="EXPORT_EXCEL_LONGITUDE_TITLE">
        <source>Longitude</source>
        <translation>Долгота</translation>
    </message>
    <message id="EXPORT_EXCEL_VELOCITY_TITLE">
        <source>Speed (km/h)</source>
        <translation>Скорость (км/ч)</translation>
    </message>
    <message id="EXPORT_EXCEL_ALTITUDE_TITLE">
        <source>Altitude (m)</source>
        <translation>Высота (м)</translation>
    </message>
    <message id="UPDATE_AVAILABLE_TITLE">
        <source>Korvela Player %1 is available</source>
        <translation>Доступна версия Korvela Player %1</translation>
    </message>
    <message id="UPDATE_AVAILABLE_MESSAGE">
        <source>This copy cannot update itself: it was installed by the system's package manager or in a folder you cannot change. Get the new version from your package manager or from %1</source>
        <translation>Эта копия не может обновиться сама: она установлена менеджером пакетов системы или в папку, которую вы не можете изменять. Новую версию можно получить через менеджер пакетов или по адресу %1</translation>
    </message>
    <message id="UPTATE_READY_TITLE">
        <source>A new version of Korvela Player is available</source>
        <translation>Доступна новая версия Korvela Player</translation>
    </message>
    <message id="UPTATE_READY_MESSAGE">
        <source>Install it now? Korvela Player will restart.</source>
        <translation>Установить её сейчас? Korvela Player будет перезапущен.</translation>
    </message>
    <message id="UPTATE_FIRMWARE_READY_TITLE">
        <source>New camera firmware is available</source>
        <translation>Доступна новая прошивка камеры</translation>
    </message>
    <message id="UPTATE_FIRMWARE_READY_MESSAGE">
        <source>Download it and put it on the camera's memory card?</source>
        <translation>Загрузить её и записать на карту памяти камеры?</translation>
    </message>
    <message id="UPTATE_FIRMWARE_FINISHED_TITLE">
        <source>The firmware is on the memory card</source>
        <translation>Прошивка записана на карту памяти</translation>
    </message>
    <message id="UPTATE_FIRMWARE_FINISHED_MESSAGE">
        <source>Eject the card safely and put it back into the camera. The camera installs the firmware the next time it starts.</source>
        <translation>Безопасно извлеките карту и вставьте её в камеру. Камера установит прошивку при следующем включении.</translation>
    </message>
    <message id="UPTATE_FAILED_FINISHED_TITLE">
        <source>The firmware update failed</source>
        <translation>Не удалось обновить прошивку</translation>
    </message>
    <message id="UPTATE_FAILED_FINISHED_MESSAGE">
        <source>The firmware could not be downloaded or written to the memory card. Nothing on the card was changed.</source>
        <translation>Не удалось загрузить прошивку или записать её на карту памяти. Содержимое карты не изменено.</translation>
    </message>
    <message id="UPTATE_INSTALLING_TITLE">
        <source>Installing the new version of Korvela Player…</source>
        <translation>Устанавливается новая версия Korvela Player…</translation>
    </message>
    <message id="STATUS_GRAPHS_HIDDEN">
        <source>Graphs left out for want of room: %1. Make the graphs area taller to see them.</source>
        <translation>Графики скрыты из-за нехватки места: %1. Увеличьте высоту области графиков, чтобы увидеть их.</translation>
    </message>
    <message id="STATUS_READING_METADATA">
        <source>Reading %1 of %2</source>
        <translation>Чтение %1 из %2</translation>
    </message>
    <message id="MENU_FILE">
        <source>&amp;File</source>
        <translation>&amp;Файл</translation>
    </message>
    <message id="MENU_OPEN">
        <source>&amp;Open…</source>
        <translation>&amp;Открыть…</translation>
    </message>
    <message id="MENU_WHATS_NEW">
        <source>&amp;What's New</source>
        <translation>&amp;Что нового</translation>
    </message>
    <message id="MENU_QUIT">
        <source>&amp;Quit</source>
        <translation>&amp;Выход</translation>
    </message>
    <message id="MENU_HELP">
        <source>&amp;Help</source>
        <translation>&amp;Справка</translation>
    </message>
    <message id="MENU_ABOUT">
        <source>&amp;About Korvela Player</source>
        <translation>&amp;О программе Korvela Player</translation>
    </message>
    <message id="MENU_REPORT_UNREAD_CAMERA">
        <source>&amp;Report an Unread Camera…</source>
        <translation>&amp;Сообщить о нечитаемой камере…</translation>
    </message>
    <message id="REPORT_UNREAD_CAMERA_TITLE">
        <source>Report an unread camera</source>
        <translation>Сообщить о нечитаемой камере</translation>
    </message>
    <message id="REPORT_SELECT_RECORDING">
        <source>Select the recording whose camera is not read, then choose this command again.</source>
        <translation>Выберите запись, камера которой не читается, и снова выберите эту команду.</translation>
    </message>
    <message id="CLOCK_PROPOSAL_TEXT">
        <source>The camera's clock for %1 is off its GPS time by %2.</source>
        <translation>Часы камеры для %1 расходятся со временем GPS на %2.</translation>
    </message>
    <message id="CLOCK_PROPOSAL_APPLY">
        <source>Correct by %1</source>
        <translation>Исправить на %1</translation>
    </message>
    <message id="CLOCK_PROPOSAL_DISMISS">
        <source>Keep the recordings' times as the camera's clock gives them</source>
        <translation>Оставить время записей по часам камеры</translation>
    </message>
    <message id="CLOCK_PROPOSAL_APPLIED">
        <source>The camera's clock for %1 is corrected by %2.</source>
        <translation>Часы камеры для %1 исправлены на %2.</translation>
    </message>
    <message id="CLOCK_PROPOSAL_LOCAL_FIXES">
        <source>GPS time is the camera's clock</source>
        <translation>Время GPS идёт по часам камеры</translation>
    </message>
    <message id="CLOCK_PROPOSAL_LOCAL_FIXES_TIP">
        <source>The recording's names are right, and its GPS times are the camera's local time in %1 written as UTC, as some cameras write them after a cold start: read such times in %1.</source>
        <translation>Имена записи верны, а её время GPS — местное время камеры в %1, записанное как UTC, как некоторые камеры пишут его после холодного старта: читать такое время в %1.</translation>
    </message>
    <message id="CLOCK_PROPOSAL_LOCAL_APPLIED">
        <source>GPS times of %1 that follow the camera's clock are read in %2.</source>
        <translation>Время GPS в %1, идущее по часам камеры, читается в %2.</translation>
    </message>
    <message id="MENU_PLAYBACK">
        <source>&amp;Playback</source>
        <translation>&amp;Воспроизведение</translation>
    </message>
    <message id="MENU_PLAY_PAUSE">
        <source>&amp;Play / Pause</source>
        <translation>&amp;Воспроизведение / пауза</translation>
    </message>
    <message id="MENU_FAST_FORWARD">
        <source>&amp;Fast Forward</source>
        <translation>&amp;Перемотка вперёд</translation>
    </message>
    <message id="MENU_REWIND">
        <source>&amp;Rewind</source>
        <translation>Перемотка на&amp;зад</translation>
    </message>
    <message id="MENU_NEXT_FRAME">
        <source>&amp;Next Frame</source>
        <translation>&amp;Следующий кадр</translation>
    </message>
    <message id="MENU_PREVIOUS_FRAME">
        <source>Pre&amp;vious Frame</source>
        <translation>Пре&amp;дыдущий кадр</translation>
    </message>
    <message id="MENU_STEP_FORWARD">
        <source>Step For&amp;ward</source>
        <translation>&amp;Шаг вперёд</translation>
    </message>
    <message id="MENU_STEP_BACKWARD">
        <source>Step &amp;Backward</source>
        <translation>Шаг н&amp;азад</translation>
    </message>
    <message id="MENU_SCREENSHOT">
        <source>Save Still P&amp;icture…</source>
        <translation>Со&amp;хранить кадр…</translation>
    </message>
    <message id="MENU_ZOOM_IN">
        <source>&amp;Zoom In</source>
        <translation>&amp;Увеличить</translation>
    </message>
    <message id="MENU_ZOOM_OUT">
        <source>Zoom &amp;Out</source>
        <translation>Ум&amp;еньшить</translation>
    </message>
    <message id="MENU_FIT_TO_SIZE">
        <source>Fi&amp;t to Window</source>
        <translation>Вписать в &amp;окно</translation>
    </message>
    <message id="MENU_CAMERA">
        <source>&amp;Camera</source>
        <translation>&amp;Камера</translation>
    </message>
    <message id="MENU_CAMERA_FRONT">
        <source>Front</source>
        <translation>Передняя</translation>
    </message>
    <message id="MENU_CAMERA_REAR">
        <source>Rear</source>
        <translation>Задняя</translation>
    </message>
    <message id="MENU_CAMERA_INTERIOR">
        <source>Interior</source>
        <translation>Салон</translation>
    </message>
    <message id="MENU_CAMERA_OPTIONAL">
        <source>Optional</source>
        <translation>Дополнительная</translation>
    </message>
    <message id="MENU_CAMERA_LEFT">
        <source>Left</source>
        <translation>Левая</translation>
    </message>
    <message id="MENU_CAMERA_RIGHT">
        <source>Right</source>
        <translation>Правая</translation>
    </message>
    <message id="MENU_CAMERA_LEFT_PILLAR">
        <source>Left Pillar</source>
        <translation>Левая стойка</translation>
    </message>
    <message id="MENU_CAMERA_RIGHT_PILLAR">
        <source>Right Pillar</source>
        <translation>Правая стойка</translation>
    </message>
    <message id="MENU_VIEW_SINGLE">
        <source>Single View</source>
        <translation>Одна камера</translation>
    </message>
    <message id="MENU_VIEW_PICTURE_IN_PICTURE">
        <source>Picture in Picture</source>
        <translation>Картинка в картинке</translation>
    </message>
    <message id="MENU_VIEW_SIDE_BY_SIDE">
        <source>Side by Side</source>
        <translation>Рядом</translation>
    </message>
    <message id="MENU_VIEW_GRID">
        <source>Grid</source>
        <translation>Сетка</translation>
    </message>
    <message id="STATUS_GRID_TOO_SLOW">
        <source>This computer cannot decode every view in time: two views are shown side by side.</source>
        <translation>Этот компьютер не успевает декодировать все виды: показаны два вида рядом.</translation>
    </message>
    <message id="MENU_VIEW_SWAP">
        <source>Swap Views</source>
        <translation>Поменять местами</translation>
    </message>
    <message id="MENU_GRAPHS">
        <source>&amp;Graphs</source>
        <translation>&amp;Графики</translation>
    </message>
    <message id="MENU_SETTINGS">
        <source>&amp;Settings</source>
        <translation>&amp;Настройки</translation>
    </message>
    <message id="MENU_LANGUAGE">
        <source>&amp;Language</source>
        <translation>&amp;Язык</translation>
    </message>
    <message id="MENU_MAP_PROVIDER">
        <source>&amp;Map</source>
        <translation>&amp;Карта</translation>
    </message>
    <message id="MENU_UNITS">
        <source>&amp;Units</source>
        <translation>&amp;Единицы измерения</translation>
    </message>
    <message id="MENU_UNITS_METRIC">
        <source>&amp;Metric (km/h, m)</source>
        <translation>&amp;Метрические (км/ч, м)</translation>
    </message>
    <message id="MENU_UNITS_BRITISH">
        <source>&amp;British (mph, ft)</source>
        <translation>&amp;Британские (миль/ч, фут)</translation>
    </message>
    <message id="MODE_NORMAL">
        <source>Normal</source>
        <translation>Обычная</translation>
    </message>
    <message id="MODE_EVENT">
        <source>Event</source>
        <translation>Событие</translation>
    </message>
    <message id="MODE_PARKING">
        <source>Parking</source>
        <translation>Парковка</translation>
    </message>
    <message id="MODE_MANUAL">
        <source>Manual</source>
        <translation>Вручную</translation>
    </message>
    <message id="MODE_OTHER">
        <source>Other</source>
        <translation>Другие</translation>
    </message>
    <message id="FILTER_ALL_RECORDINGS">
        <source>All recordings</source>
        <translation>Все записи</translation>
    </message>
    <message id="MODE_FILTER_TOOLTIP">
        <source>Show only recordings of this kind</source>
        <translation>Показывать только записи этого вида</translation>
    </message>
    <message id="TOOLTIP_MODE">
        <source>Mode: %1</source>
        <translation>Режим: %1</translation>
    </message>
    <message id="TOOLTIP_EVENT_RECORDINGS">
        <source>Event recordings: %1</source>
        <translation>Записей событий: %1</translation>
    </message>
    <message id="TOOLTIP_CAMERA_MODEL">
        <source>Camera: %1</source>
        <translation>Камера: %1</translation>
    </message>
    <message id="TOOLTIP_NO_TRACK">
        <source>No track: %1</source>
        <translation>Нет трека: %1</translation>
    </message>
    <message id="TOOLTIP_NO_TRACK_NOT_READ">
        <source>not read: no known camera format</source>
        <translation>не прочитано: формат камеры неизвестен</translation>
    </message>
    <message id="TOOLTIP_NO_TRACK_NO_FIX">
        <source>the camera had no GPS fix yet</source>
        <translation>у камеры ещё не было GPS-сигнала</translation>
    </message>
    <message id="TOOLTIP_NO_TRACK_ENCRYPTED">
        <source>the camera's GPS data is encrypted</source>
        <translation>GPS-данные камеры зашифрованы</translation>
    </message>
    <message id="TOOLTIP_NO_TRACK_UNKNOWN_LAYOUT">
        <source>the camera's GPS data is in a layout not known yet</source>
        <translation>GPS-данные камеры в ещё неизвестном формате</translation>
    </message>
    <message id="TOOLTIP_NO_TRACK_UNREADABLE">
        <source>the file could not be read</source>
        <translation>файл не удалось прочитать</translation>
    </message>
    <message id="TOOLTIP_DATED_BY_FILE">
        <source>Dated by the file's modification time: neither the camera's data nor the file's name tell when it was recorded.</source>
        <translation>Дата по времени изменения файла: ни данные камеры, ни имя файла не говорят, когда сделана запись.</translation>
    </message>
    <message id="MENU_GO_TO_START">
        <source>Go to &amp;Start</source>
        <translation>В &amp;начало</translation>
    </message>
    <message id="MENU_GO_TO_END">
        <source>Go to &amp;End</source>
        <translation>В &amp;конец</translation>
    </message>
    <message id="MENU_FULL_SCREEN">
        <source>F&amp;ull Screen</source>
        <translation>Во весь &amp;экран</translation>
    </message>
    <message id="STATUS_NO_RECORDINGS_FOUND">
        <source>No recordings found in %1</source>
        <translation>Записи не найдены в %1</translation>
    </message>
    <message id="FILE_LIST_EMPTY_HINT">
        <source>No recordings yet.

Insert a camera&apos;s memory card, or choose Add to open recordings or a folder of them. You can also drop them here.</source>
        <translation>Записей пока нет.

Вставьте карту памяти видеорегистратора или нажмите «Добавить», чтобы открыть записи или папку с ними. Их можно также перетащить сюда.</translation>
    </message>
    <message id="ADD_VIDEO_TOOLTIP">
        <source>Add recordings or folders</source>
        <translation>Добавить записи или папки</translation>
    </message>
    <message id="DELETE_RECORDINGS_COUNT">
        <source>Recordings: %1</source>
        <translation>Записей: %1</translation>
    </message>
    <message id="DELETE_VIDEO_FILES">
        <source>Video files: %1 (camera views: %2)</source>
        <translation>Видеофайлов: %1 (виды камер: %2)</translation>
    </message>
    <message id="DELETE_DATA_FILES_UNREAD">
        <source>Data files: %1 named so far, and any other found beside the recordings</source>
        <translation>Файлов данных: %1 известных и все другие рядом с записями</translation>
    </message>
    <message id="DELETE_DATA_FILES">
        <source>Data files (track, sensors): %1</source>
        <translation>Файлов данных (трек, датчики): %1</translation>
    </message>
    <message id="DELETE_LOCKED_STAY">
        <source>Locked recordings stay on the disk: %1</source>
        <translation>Защищённые записи остаются на диске: %1</translation>
    </message>
    <message id="ERROR_CANT_SHOW_FOLDER">
        <source>No file manager is set up to show the folder %1.</source>
        <translation>Не настроен файловый менеджер, чтобы показать папку %1.</translation>
    </message>
    <message id="ERROR_WHATS_NEW_MISSING">
        <source>The notes on this version are not installed.</source>
        <translation>Заметки об этой версии не установлены.</translation>
    </message>
    <message id="ERROR_CANT_OPEN_WHATS_NEW">
        <source>No program is set up to open the notes on this version. They are in %1</source>
        <translation>Не настроена программа, чтобы открыть заметки об этой версии. Они находятся в %1</translation>
    </message>
    <message id="GRAPH_NO_DATA">
        <source>No data</source>
        <translation>Нет данных</translation>
    </message>
    <message id="MAP_TILES_OFFLINE">
        <source>Map tiles are not available offline</source>
        <translation>Фрагменты карты недоступны без сети</translation>
    </message>
    <message id="CHOOSE_FOLDER_BUTTON">
        <source>Choose Folder</source>
        <translation>Выбрать папку</translation>
    </message>
    <message id="EXPORT_SAVED_FILES">
        <source>Saved: %1</source>
        <translation>Сохранено: %1</translation>
    </message>
    <message id="MENU_MARK_IN">
        <source>Mark Clip &amp;Start</source>
        <translation>Отметить &amp;начало клипа</translation>
    </message>
    <message id="MENU_MARK_OUT">
        <source>Mark Clip En&amp;d</source>
        <translation>Отметить &amp;конец клипа</translation>
    </message>
    <message id="MENU_CLEAR_MARKS">
        <source>&amp;Clear Clip Marks</source>
        <translation>С&amp;нять отметки клипа</translation>
    </message>
    <message id="MENU_EXPORT_CLIP">
        <source>E&amp;xport Clip…</source>
        <translation>&amp;Экспорт клипа…</translation>
    </message>
    <message id="CLIP_DIALOG_TITLE">
        <source>Export Clip</source>
        <translation>Экспорт клипа</translation>
    </message>
    <message id="CLIP_NOTHING_PLAYING">
        <source>Play the trip or recording the clip is to come from, then choose this again.</source>
        <translation>Запустите поездку или запись, из которой нужен клип, и выберите эту команду снова.</translation>
    </message>
    <message id="CLIP_RANGE_LABEL">
        <source>Range:</source>
        <translation>Фрагмент:</translation>
    </message>
    <message id="CLIP_RANGE_MARKED">
        <source>Between the marks (%1)</source>
        <translation>Между отметками (%1)</translation>
    </message>
    <message id="CLIP_RANGE_RECORDING">
        <source>This recording (%1)</source>
        <translation>Эта запись (%1)</translation>
    </message>
    <message id="CLIP_RANGE_AROUND">
        <source>30 s before and after the position (%1)</source>
        <translation>30 с до и после текущей позиции (%1)</translation>
    </message>
    <message id="CLIP_LAYOUT_LABEL">
        <source>Cameras:</source>
        <translation>Камеры:</translation>
    </message>
    <message id="CLIP_LAYOUT_FRONT">
        <source>Front camera only</source>
        <translation>Только передняя камера</translation>
    </message>
    <message id="CLIP_LAYOUT_REAR">
        <source>Rear camera only</source>
        <translation>Только задняя камера</translation>
    </message>
    <message id="CLIP_LAYOUT_PIP">
        <source>Picture in picture</source>
        <translation>Картинка в картинке</translation>
    </message>
    <message id="CLIP_LAYOUT_SIDE">
        <source>Side by side</source>
        <translation>Рядом</translation>
    </message>
    <message id="CLIP_LAYOUT_GRID">
        <source>Grid of all cameras</source>
        <translation>Сетка всех камер</translation>
    </message>
    <message id="CLIP_READOUTS_LABEL">
        <source>Burn in:</source>
        <translation>Наложить:</translation>
    </message>
    <message id="CLIP_READOUT_TIME">
        <source>Date and time</source>
        <translation>Дата и время</translation>
    </message>
    <message id="CLIP_READOUT_SPEED">
        <source>Speed</source>
        <translation>Скорость</translation>
    </message>
    <message id="CLIP_READOUT_POSITION">
        <source>Position</source>
        <translation>Координаты</translation>
    </message>
    <message id="CLIP_READOUT_HEADING">
        <source>Heading</source>
        <translation>Курс</translation>
    </message>
    <message id="CLIP_READOUT_MAP">
        <source>Map</source>
        <translation>Карта</translation>
    </message>
    <message id="CLIP_READOUT_ACCELERATION">
        <source>Acceleration</source>
        <translation>Ускорение</translation>
    </message>
    <message id="CLIP_QUALITY_LABEL">
        <source>Quality:</source>
        <translation>Качество:</translation>
    </message>
    <message id="CLIP_QUALITY_ORIGINAL">
        <source>Original (copied, not re-encoded)</source>
        <translation>Оригинал (копия без перекодирования)</translation>
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
        <translation>Звук</translation>
    </message>
    <message id="CLIP_GPX">
        <source>Also save the clip&apos;s GPS track (GPX)</source>
        <translation>Также сохранить GPS-трек клипа (GPX)</translation>
    </message>
    <message id="CLIP_FOLDER_LABEL">
        <source>Save in:</source>
        <translation>Сохранить в:</translation>
    </message>
    <message id="CLIP_CHOOSE_FOLDER">
        <source>Choose…</source>
        <translation>Выбрать…</translation>
    </message>
    <message id="CLIP_NAME_LABEL">
        <source>Name:</source>
        <translation>Имя:</translation>
    </message>
    <message id="CLIP_EXPORT_BUTTON">
        <source>Export</source>
        <translation>Экспортировать</translation>
    </message>
    <message id="CLIP_UNREADABLE_FILES">
        <source>These files cannot be read and are left out: %1</source>
        <translation>Эти файлы не читаются и будут пропущены: %1</translation>
    </message>
    <message id="CLIP_FOLDER_UNUSABLE">
        <source>The folder "%1" does not exist or cannot be written to. Choose another one.</source>
        <translation>Папка «%1» не существует или недоступна для записи. Выберите другую.</translation>
    </message>
    <message id="CLIP_CANCEL">
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message id="CLIP_TIME_LEFT">
        <source>%1 left</source>
        <translation>осталось %1</translation>
    </message>
    <message id="CLIP_CANCELLED">
        <source>The clip export was cancelled; nothing was saved.</source>
        <translation>Экспорт клипа отменён; ничего не сохранено.</translation>
    </message>
    <message id="CLIP_FAILED">
        <source>The clip could not be exported</source>
        <translation>Не удалось экспортировать клип</translation>
    </message>
    <message id="CLIP_SAVED">
        <source>Clip saved: %1</source>
        <translation>Клип сохранён: %1</translation>
    </message>
    <message id="CLIP_MANIFEST_SAVED">
        <source>evidence: %1</source>
        <translation>сведения: %1</translation>
    </message>
    <message id="CLIP_GPX_SAVED">
        <source>track: %1</source>
        <translation>трек: %1</translation>
    </message>
    <message id="CLIP_SKIPPED">
        <source>Left out, not readable: %1</source>
        <translation>Пропущены, не читаются: %1</translation>
    </message>
    <message id="COLUMN_DISTANCE_TITLE">
        <source>Distance</source>
        <translation>Расстояние</translation>
    </message>
    <message id="TOOLTIP_TRIP_DISTANCE">
        <source>Distance: %1</source>
        <translation>Расстояние: %1</translation>
    </message>
    <message id="TOOLTIP_TRIP_DRIVING">
        <source>Driving: %1</source>
        <translation>В движении: %1</translation>
    </message>
    <message id="TOOLTIP_TRIP_STOPPED">
        <source>Stopped: %1</source>
        <translation>Стоянка: %1</translation>
    </message>
    <message id="TOOLTIP_TRIP_TOP_SPEED">
        <source>Top speed: %1</source>
        <translation>Максимальная скорость: %1</translation>
    </message>
    <message id="TOOLTIP_TRIP_AVERAGE_SPEED">
        <source>Average moving speed: %1</source>
        <translation>Средняя скорость в движении: %1</translation>
    </message>
    <message id="TOOLTIP_TRIP_START">
        <source>Start: %1</source>
        <translation>Начало: %1</translation>
    </message>
    <message id="TOOLTIP_TRIP_END">
        <source>End: %1</source>
        <translation>Конец: %1</translation>
    </message>
    <message id="MENU_VIEW">
        <source>&amp;View</source>
        <translation>&amp;Вид</translation>
    </message>
    <message id="MENU_SHOW_EVENTS">
        <source>&amp;Events</source>
        <translation>&amp;События</translation>
    </message>
    <message id="MENU_WHOLE_CARD_MAP">
        <source>Whole &amp;Card on Map</source>
        <translation>Вся &amp;карта памяти на карте</translation>
    </message>
    <message id="CARD_MAP_DAY">
        <source>%1 · trips: %2 · %3 · driving %4</source>
        <translation>%1 · поездок: %2 · %3 · в пути %4</translation>
    </message>
    <message id="CARD_MAP_READING">
        <source>Reading the tracks: %1 of %2</source>
        <translation>Чтение треков: %1 из %2</translation>
    </message>
    <message id="CARD_MAP_NO_TRACKS">
        <source>No recording in the list has a GPS track</source>
        <translation>Ни у одной записи в списке нет GPS-трека</translation>
    </message>
    <message id="CARD_MAP_CLICK_TO_PLAY">
        <source>Click a route to play that moment</source>
        <translation>Щелчок по маршруту воспроизводит этот момент</translation>
    </message>
    <message id="MENU_NEXT_EVENT">
        <source>Next E&amp;vent</source>
        <translation>Следующее &amp;событие</translation>
    </message>
    <message id="MENU_PREVIOUS_EVENT">
        <source>Previous Eve&amp;nt</source>
        <translation>Пр&amp;едыдущее событие</translation>
    </message>
    <message id="EVENTS_COLUMN_TIME">
        <source>Time</source>
        <translation>Время</translation>
    </message>
    <message id="EVENTS_COLUMN_KIND">
        <source>Event</source>
        <translation>Событие</translation>
    </message>
    <message id="EVENTS_COLUMN_STRENGTH">
        <source>Strength</source>
        <translation>Сила</translation>
    </message>
    <message id="EVENTS_COLUMN_RECORDING">
        <source>Recording</source>
        <translation>Запись</translation>
    </message>
    <message id="EVENT_KIND_CAMERA_EVENT">
        <source>Camera event</source>
        <translation>Событие камеры</translation>
    </message>
    <message id="EVENT_KIND_CAMERA_MANUAL">
        <source>Event button</source>
        <translation>Кнопка события</translation>
    </message>
    <message id="EVENT_KIND_CAMERA_PARKING_IMPACT">
        <source>Impact while parked</source>
        <translation>Удар на стоянке</translation>
    </message>
    <message id="EVENT_KIND_CAMERA_OVER_SPEED">
        <source>Camera's speed alarm</source>
        <translation>Сигнал скорости камеры</translation>
    </message>
    <message id="EVENT_KIND_IMPACT">
        <source>Impact</source>
        <translation>Удар</translation>
    </message>
    <message id="EVENT_KIND_HARD_BRAKING">
        <source>Hard braking</source>
        <translation>Резкое торможение</translation>
    </message>
    <message id="EVENT_KIND_HARD_ACCELERATION">
        <source>Hard acceleration</source>
        <translation>Резкий разгон</translation>
    </message>
    <message id="EVENT_KIND_SHARP_TURN">
        <source>Sharp turn</source>
        <translation>Резкий поворот</translation>
    </message>
    <message id="EVENT_KIND_HARSH_DRIVING">
        <source>Harsh driving</source>
        <translation>Резкое вождение</translation>
    </message>
    <message id="EVENT_KIND_OVER_SPEED">
        <source>Over the speed limit</source>
        <translation>Превышение скорости</translation>
    </message>
    <message id="TOOLTIP_DAY_TRIPS">
        <source>Trips this day: %1</source>
        <translation>Поездок за день: %1</translation>
    </message>
    <message id="TOOLTIP_DAY_DISTANCE">
        <source>Distance this day: %1</source>
        <translation>Расстояние за день: %1</translation>
    </message>
    <message id="TOOLTIP_DAY_DRIVING">
        <source>Driving this day: %1</source>
        <translation>В движении за день: %1</translation>
    </message>
    <message id="SHORTCUTS_TITLE">
        <source>Keyboard Shortcuts</source>
        <translation>Сочетания клавиш</translation>
    </message>
    <message id="MENU_SHORTCUTS">
        <source>&amp;Keyboard Shortcuts</source>
        <translation>&amp;Сочетания клавиш</translation>
    </message>
    <message id="SHORTCUTS_COMMAND">
        <source>Command</source>
        <translation>Команда</translation>
    </message>
    <message id="SHORTCUTS_KEYS">
        <source>Keys</source>
        <translation>Клавиши</translation>
    </message>
    <message id="MENU_LEAVE_FULL_SCREEN">
        <source>Leave Full Screen</source>
        <translation>Выйти из полноэкранного режима</translation>
    </message>
    <message id="COLUMN_DURATION_TOOLTIP">
        <source>Duration of the recording or trip</source>
        <translation>Длительность записи или поездки</translation>
    </message>
    <message id="UNIT_MILES">
        <source>mi</source>
        <translation>миль</translation>
    </message>
    <message id="UNIT_KILOMETRES">
        <source>km</source>
        <translation>км</translation>
    </message>
    <message id="MENU_EDIT">
        <source>&amp;Edit</source>
        <translation>&amp;Правка</translation>
    </message>
    <message id="MENU_UNDO">
        <source>&amp;Undo</source>
        <translation>&amp;Отменить</translation>
    </message>
    <message id="MENU_UNDO_STEP">
        <source>&amp;Undo %1</source>
        <translation>&amp;Отменить: %1</translation>
    </message>
    <message id="MENU_REDO">
        <source>&amp;Redo</source>
        <translation>&amp;Повторить</translation>
    </message>
    <message id="MENU_REDO_STEP">
        <source>&amp;Redo %1</source>
        <translation>&amp;Повторить: %1</translation>
    </message>
    <message id="MENU_SPLIT_TRIP">
        <source>Split Trip Here</source>
        <translation>Разделить поездку здесь</translation>
    </message>
    <message id="MENU_JOIN_TRIP">
        <source>Join with Next Trip</source>
        <translation>Объединить со следующей поездкой</translation>
    </message>
    <message id="TRIP_STEP_SPLIT">
        <source>Split Trip</source>
        <translation>Разделение поездки</translation>
    </message>
    <message id="TRIP_STEP_JOIN">
        <source>Join Trips</source>
        <translation>Объединение поездок</translation>
    </message>
    <message id="CLIP_RANGE_EVENT">
        <source>30 s before and after the event (%1)</source>
        <translation>30 с до и после события (%1)</translation>
    </message>
    <message id="MENU_IMPORT_TRACK">
        <source>Import Track…</source>
        <translation>Импортировать трек…</translation>
    </message>
    <message id="MENU_REMOVE_IMPORTED_TRACK">
        <source>Remove Imported Track</source>
        <translation>Удалить импортированный трек</translation>
    </message>
    <message id="IMPORT_TRACK_TITLE">
        <source>Import Track</source>
        <translation>Импорт трека</translation>
    </message>
    <message id="IMPORT_TRACK_FILE_TYPES">
        <source>Tracks (*.gpx *.kml *.nmea *.txt *.log);;All files (*)</source>
        <translation>Треки (*.gpx *.kml *.nmea *.txt *.log);;Все файлы (*)</translation>
    </message>
    <message id="IMPORT_TRACK_WHOLE_CARD">
        <source>Import for every recording of the card</source>
        <translation>Импортировать для всех записей карты</translation>
    </message>
    <message id="IMPORT_TRACK_ONLY_FOR">
        <source>Import only for %1</source>
        <translation>Импортировать только для %1</translation>
    </message>
    <message id="IMPORT_TRACK_PREFER_IMPORTED">
        <source>Use the imported track also where the camera recorded its own</source>
        <translation>Использовать импортированный трек и там, где камера записала свой</translation>
    </message>
    <message id="IMPORT_TRACK_NO_SELECTION_TITLE">
        <source>Choose a recording first</source>
        <translation>Сначала выберите запись</translation>
    </message>
    <message id="IMPORT_TRACK_NO_SELECTION_MESSAGE">
        <source>Select a recording or trip of the card in the list, then import the track for it.</source>
        <translation>Выберите в списке запись или поездку с карты, затем импортируйте для неё трек.</translation>
    </message>
    <message id="IMPORT_TRACK_FAILED_TITLE">
        <source>The track could not be imported</source>
        <translation>Не удалось импортировать трек</translation>
    </message>
    <message id="IMPORT_TRACK_UNREADABLE">
        <source>The file could not be read.</source>
        <translation>Не удалось прочитать файл.</translation>
    </message>
    <message id="IMPORT_TRACK_UNKNOWN_FORMAT">
        <source>The file is not a GPX, KML or NMEA track.</source>
        <translation>Файл не является треком GPX, KML или NMEA.</translation>
    </message>
    <message id="IMPORT_TRACK_DAMAGED">
        <source>The %1 file is damaged.</source>
        <translation>Файл %1 повреждён.</translation>
    </message>
    <message id="IMPORT_TRACK_NO_TIMED_POINT">
        <source>The %1 file holds no position with a time, so it cannot be matched to the recordings.</source>
        <translation>Файл %1 не содержит ни одной точки со временем, поэтому его нельзя сопоставить с записями.</translation>
    </message>
    <message id="STATUS_IMPORTING_TRACK">
        <source>Importing %1…</source>
        <translation>Импорт %1…</translation>
    </message>
    <message id="STATUS_TRACK_IMPORTED">
        <source>Imported track: %1 recordings lie within its time</source>
        <translation>Импортированный трек: %1 записей попадают в его время</translation>
    </message>
    <message id="REMOVE_IMPORTED_TRACK_FAILED_TITLE">
        <source>The imported track could not be removed</source>
        <translation>Не удалось удалить импортированный трек</translation>
    </message>
    <message id="STATUS_IMPORTED_TRACK_REMOVED">
        <source>The imported track is removed; the camera's own data shows again</source>
        <translation>Импортированный трек удалён; снова показываются данные камеры</translation>
    </message>
    <message id="STATUS_NO_IMPORTED_TRACK">
        <source>No imported track shows for this recording</source>
        <translation>Для этой записи не показывается импортированный трек</translation>
    </message>
    <message id="TOOLTIP_TRACK_IMPORTED">
        <source>Track imported from another device</source>
        <translation>Трек импортирован с другого устройства</translation>
    </message>
</context>
</TS>
