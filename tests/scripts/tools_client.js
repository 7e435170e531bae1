// The companion objects from JScript: every method of CadencerTools.Schedule (NextRuns read
// through VBArray) and CadencerTools.Task's register, refuse, replace and remove. A script
// error ends the script silently under Wine's cscript, so the last line is a summary the
// test requires:   SUMMARY: <n> checks, <m> failed
var checks = 0, failed = 0;
function check(name, actual, expected) {
    checks++;
    if (actual === expected) return;
    failed++;
    WScript.Echo("FAIL: " + name + " = " + actual + ", expected " + expected);
}
function refusal(name, call, reason) {
    try {
        call();
        check(name + " refused", "no error", reason);
    } catch (e) {
        check(name + " refused with the reason", e.description.indexOf(reason) >= 0, true);
    }
}
function pad(n) { return (n < 10 ? "0" : "") + n; }

var shell = new ActiveXObject("WScript.Shell");
var bitness = shell.ExpandEnvironmentStrings("%PROCESSOR_ARCHITECTURE%").replace(/\0/g, "");
WScript.Echo("host: " + bitness);

var c = new ActiveXObject("CadencerLib.Cadencer");
var t = new ActiveXObject("CadencerTools.Schedule");
var today = new Date();
var todayText = today.getFullYear() + "-" + pad(today.getMonth() + 1) + "-" + pad(today.getDate());
c.OccursOption = 3;
c.SelectionsMonthly = "1000000000000010000000000000000";
c.StartHour = 6;
c.StartMinute = 45;
c.UseEndDate = false;
check("Describe", t.Describe(c).indexOf("Monthly on the 1st and 15th at 06:45, from "), 0);

var runs = new VBArray(t.NextRuns(c, 4)).toArray();
check("NextRuns count", runs.length, 4);
for (var i = 0; i < runs.length; i++) {
    var run = new Date(runs[i]);
    check("NextRuns day", run.getDate() === 1 || run.getDate() === 15, true);
    check("NextRuns time", pad(run.getHours()) + ":" + pad(run.getMinutes()), "06:45");
    if (i > 0) check("NextRuns ascending", runs[i] > runs[i - 1], true);
}
check("NextRuns capped at 1000", new VBArray(t.NextRuns(c, 100000)).ubound(), 999);

var rule = t.ToRRule(c);
check("ToRRule", rule.substring(rule.indexOf("RRULE:")), "RRULE:FREQ=MONTHLY;BYMONTHDAY=1,15;BYHOUR=6;BYMINUTE=45");
var ical = t.ToICalendar(c);
check("ToICalendar", ical.indexOf("BEGIN:VCALENDAR\r\n") === 0 && ical.slice(-15) === "END:VCALENDAR\r\n", true);
check("ToCron", t.ToCron(c), "45 6 1,15 * *");
var xml = t.ToTaskXml(c, "C:\\Jobs\\a<b>.exe", "--name 'x'");
check("ToTaskXml command", xml.indexOf("<Command>C:\\Jobs\\a&lt;b&gt;.exe</Command>") > 0, true);
check("ToTaskXml arguments", xml.indexOf("<Arguments>--name &apos;x&apos;</Arguments>") > 0, true);
check("ToTaskXml months", xml.indexOf("<December />") > 0, true);

c.UseEndDate = true;
refusal("ToCron with an end date", function () { t.ToCron(c); }, "cron has no end date");
t.FromRRule(c, "DTSTART:20300105T081500\nRRULE:FREQ=WEEKLY;BYDAY=SA,SU;UNTIL=20300630T081500");
check("FromRRule OccursOption", c.OccursOption, 2);
check("FromRRule SelectionsWeekly", c.SelectionsWeekly, "1000001");
check("FromRRule StartHour", c.StartHour, 8);
check("FromRRule UseEndDate", c.UseEndDate, true);
check("FromRRule EndDate", new Date(c.EndDate).getMonth(), 5);
t.FromCron(c, "0 */2 * * *");
check("FromCron OccursOption", c.OccursOption, 4);
check("FromCron EveryFrequency", c.EveryFrequency, 0);
check("FromCron EveryInterval", c.EveryInterval, 2);
refusal("COUNT", function () { t.FromRRule(c, "FREQ=DAILY;COUNT=3;BYHOUR=1;BYMINUTE=0"); }, "COUNT");
refusal("several times a day", function () { t.FromCron(c, "0 9,17 * * 1"); }, "several times a day");
check("nothing set by a refused text", c.OccursOption, 4);

var r = new ActiveXObject("CadencerTools.Task");
var fso = new ActiveXObject("Scripting.FileSystemObject");
var windir = shell.ExpandEnvironmentStrings("%WINDIR%").replace(/\0/g, "");
var name = "CadencerToolsScript" + bitness;
function stored() {
    return fso.FileExists(windir + "\\system32\\tasks\\" + name) || fso.FileExists(windir + "\\sysnative\\tasks\\" + name);
}
try { r.UnregisterTask(name); } catch (e) {}
r.RegisterTask(c, name, "C:\\windows\\system32\\cmd.exe", "/c echo run");
check("the task appears", stored(), true);
refusal("an existing name", function () { r.RegisterTask(c, name, "cmd.exe"); }, "exists already");
r.RegisterTask(c, name, "C:\\windows\\system32\\cmd.exe", "", true);
check("replaced", stored(), true);
r.UnregisterTask(name);
check("the task is gone", stored(), false);
refusal("a missing task", function () { r.UnregisterTask(name); }, "there is no task named");

WScript.Echo("SUMMARY: " + checks + " checks, " + failed + " failed");
