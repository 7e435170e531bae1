// Cadencer from JScript (Windows Script Host): run with
//   cscript //nologo cadencer.js
// It creates the control, sets a schedule every 15 minutes, shows when it next falls due,
// and listens to ScheduledTime where the host can connect events.
var c = new ActiveXObject("CadencerLib.Cadencer");
var fired = 0;

// Handlers are named <prefix><event>; WScript.ConnectObject binds them.
function Cadencer_ScheduledTime(dateTime) {
    fired++;
    WScript.Echo("Event: ScheduledTime at " + new Date(dateTime));
}

var eventsConnected = true;
try {
    WScript.ConnectObject(c, "Cadencer_");
} catch (e) {
    eventsConnected = false;
}
WScript.Echo(eventsConnected ? "Events: connected" : "Events: this host cannot connect them");

function pad(n) {
    return (n < 10 ? "0" : "") + n;
}
// Dates come to JScript as VT_DATE values: new Date() reads them.
function text(date) {
    var d = new Date(date);
    return d.getFullYear() + "-" + pad(d.getMonth() + 1) + "-" + pad(d.getDate()) + " " + pad(d.getHours()) + ":" +
           pad(d.getMinutes());
}

// Every 15 minutes (Occurs.Every = 4, EveryType.Minutes = 1).
c.OccursOption = 4;
c.EveryFrequency = 1;
c.EveryInterval = 15;
WScript.Echo("Next run: " + text(c.NextScheduledTime));

// Execute runs the schedule's action now: the next run is counted from it.
c.Execute();
if (eventsConnected) WScript.Sleep(1500);
var minutes = Math.round((new Date(c.NextScheduledTime) - new Date(c.LastScheduledTime)) / 60000);

WScript.Echo("Done: OccursOption=" + c.OccursOption + " EveryInterval=" + c.EveryInterval +
             " EveryFrequency=" + c.EveryFrequency + " minutes between runs=" + minutes +
             " ScheduledTime events=" + fired);
