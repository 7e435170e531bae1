// Cadencer from JScript (Windows Script Host): run with
//   cscript //nologo cadencer.js [schedule-file] [/edit]
// It creates the control, takes back the schedule the user kept last time (or, the first
// time, a schedule every 15 minutes), shows when it next falls due ("nothing scheduled"
// when nothing is), listens to ScheduledTime where the host can connect events, and keeps
// the schedule, with its last run, in a text file for the next run. /edit opens the
// schedule dialog first. The file is %APPDATA%\Cadencer sample\schedule-js.txt unless given.
var fso = new ActiveXObject("Scripting.FileSystemObject");
var c = new ActiveXObject("CadencerLib.Cadencer");
var fired = 0;

// The schedule's properties, kept one "Name=Value" line each; LastScheduledTime too, so an
// Every schedule counts on from its last run.
var scheduleKeys = ["OccursOption", "EveryInterval", "EveryFrequency", "StartHour", "StartMinute", "StartDate",
                    "EndDate", "UseEndDate", "SelectionsWeekly", "SelectionsMonthly", "LastScheduledTime"];
var dateKeys = {StartDate: true, EndDate: true, LastScheduledTime: true};

// Handlers are named <prefix><event>; WScript.ConnectObject binds them.
function Cadencer_ScheduledTime(dateTime) {
    fired++;
    WScript.Echo("Event: ScheduledTime at " + new Date(dateTime));
}

function pad(n) {
    return (n < 10 ? "0" : "") + n;
}
// Dates come to JScript as VT_DATE values: new Date() reads them. The never marker (nothing
// due: 50 years back) and the zero date (a disabled control, or one in a designer) both lie
// 50 or more calendar years back.
function whenText(date) {
    var d = new Date(date);
    if (d.getFullYear() <= new Date().getFullYear() - 50) return "nothing scheduled";
    return d.getFullYear() + "-" + pad(d.getMonth() + 1) + "-" + pad(d.getDate()) + " " + pad(d.getHours()) + ":" +
           pad(d.getMinutes());
}

// A date as the platform's day number (days since 30 December 1899, local time), which
// reads back the same on any machine; assigning the number gives the date back.
function dayNumber(date) {
    var d = new Date(date);
    return (d.getTime() - d.getTimezoneOffset() * 60000) / 86400000 + 25569;
}

function saveSchedule(path) {
    var folder = fso.GetParentFolderName(path);
    if (!fso.FolderExists(folder)) fso.CreateFolder(folder);
    var file = fso.CreateTextFile(path, true);
    for (var i = 0; i < scheduleKeys.length; i++) {
        var key = scheduleKeys[i], value = c[key];
        if (dateKeys[key]) value = dayNumber(value);
        if (typeof value == "boolean") value = value ? 1 : 0;
        file.WriteLine(key + "=" + value);
    }
    file.Close();
}

function loadSchedule(path) {
    var file = fso.OpenTextFile(path);
    while (!file.AtEndOfStream) {
        var line = file.ReadLine(), at = line.indexOf("=");
        if (at < 1) continue;
        var key = line.substring(0, at), value = line.substring(at + 1);
        if (key == "SelectionsWeekly" || key == "SelectionsMonthly") c[key] = value;
        else if (key == "UseEndDate") c[key] = Number(value) != 0;
        else c[key] = Number(value);
    }
    file.Close();
}

var scheduleFile = "", edit = false;
for (var i = 0; i < WScript.Arguments.length; i++) {
    if (WScript.Arguments(i).toLowerCase() == "/edit") edit = true;
    else scheduleFile = WScript.Arguments(i);
}
if (scheduleFile == "") {
    var appData = new ActiveXObject("WScript.Shell").ExpandEnvironmentStrings("%APPDATA%");
    scheduleFile = fso.BuildPath(appData, "Cadencer sample\\schedule-js.txt");
}

var eventsConnected = true;
try {
    WScript.ConnectObject(c, "Cadencer_");
} catch (e) {
    eventsConnected = false;
}
WScript.Echo(eventsConnected ? "Events: connected" : "Events: this host cannot connect them");

WScript.Echo("A new control: " + whenText(c.NextScheduledTime));
if (fso.FileExists(scheduleFile)) {
    loadSchedule(scheduleFile);
    WScript.Echo("Schedule restored from " + scheduleFile);
} else {
    // Every 15 minutes (Occurs.Every = 4, EveryType.Minutes = 1).
    c.OccursOption = 4;
    c.EveryFrequency = 1;
    c.EveryInterval = 15;
    WScript.Echo("No schedule kept yet: every 15 minutes");
}
if (edit) {
    c.Modal = true;
    c.DisplayScheduler();
}
WScript.Echo("Next run: " + whenText(c.NextScheduledTime));
var lastRun = whenText(c.LastScheduledTime);
WScript.Echo("Last run: " + (lastRun == "nothing scheduled" ? "never" : lastRun));

// Execute runs the schedule's action now: the next run is counted from it.
c.Execute();
if (eventsConnected) WScript.Sleep(1500);
var minutes = Math.round((new Date(c.NextScheduledTime) - new Date(c.LastScheduledTime)) / 60000);

saveSchedule(scheduleFile);
WScript.Echo("Schedule kept in " + scheduleFile);
WScript.Echo("Done: OccursOption=" + c.OccursOption + " EveryInterval=" + c.EveryInterval +
             " EveryFrequency=" + c.EveryFrequency + " minutes between runs=" + minutes +
             " ScheduledTime events=" + fired);
