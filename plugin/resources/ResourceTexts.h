#pragma once
// Texts that more than one page shows, on its controls or through its code ("Wait" on a
// button, a state in a field). A text of one page only is named in that page's source.

// The type name and the tab captions (also used as group captions and labels).
inline constexpr char kTextTypeName[] = "QMA7 Control";
inline constexpr char kTextRecirculation[] = "Recirculation";
inline constexpr char kTextCooling[] = "Cooling";
inline constexpr char kTextTemperatures[] = "Temperatures";
inline constexpr char kTextHumiditySensor[] = "Humidity sensor";
inline constexpr char kTextSecondaryHeat[] = "Secondary heat";
inline constexpr char kTextSettingsHumidity[] = "Settings humidity";
inline constexpr char kTextDehumidifier[] = "Dehumidifier";
inline constexpr char kTextHumidifier[] = "Humidifier";
inline constexpr char kTextDelayCooling[] = "Delay cooling";
inline constexpr char kTextAlarms[] = "Alarms";
inline constexpr char kTextRunningHours[] = "Running Hours";
inline constexpr char kTextNodeInformation[] = "Node information";
inline constexpr char kTextPidHumidifier[] = "PID humidifier";
inline constexpr char kTextExercise[] = "Exercise";
inline constexpr char kTextImportExport[] = "Import / Export";
inline constexpr char kTextConfigHvac[] = "Config HVAC";

// Push buttons.
inline constexpr char kTextRead[] = "Read";
inline constexpr char kTextWrite[] = "Write";
inline constexpr char kTextWait[] = "Wait";  // on a button while its action runs

// Status groups and output settings.
inline constexpr char kTextOff[] = "Off";
inline constexpr char kTextOn[] = "On";  // with "Off": the present state of a pump or compressor
inline constexpr char kTextManual[] = "Manual";
inline constexpr char kTextAutomatic[] = "Automatic";
inline constexpr char kTextIn[] = "In";
inline constexpr char kTextOut[] = "Out";
inline constexpr char kTextRange0To10V[] = "0-10 V";
inline constexpr char kTextRange2To10V[] = "2-10 V";
inline constexpr char kTextInvert[] = "Invert";

// Labels.
inline constexpr char kTextActual[] = "Actual";
inline constexpr char kTextOffset[] = "Offset";
inline constexpr char kTextPassword[] = "Password";
inline constexpr char kTextAirHumidityInjection[] = "Air humidity injection (Bh2)";

// Units.
inline constexpr char kTextPercent[] = "%";
inline constexpr char kTextDegreesCelsius[] = "°C";
inline constexpr char kTextSeconds[] = "sec";
