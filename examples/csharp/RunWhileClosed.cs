// Running the job while the program is closed: the control's schedule goes to the Windows
// Task Scheduler as a task of the current user (CadencerTools.Task), and is shown as its
// next runs and an iCalendar rule (CadencerTools.Schedule). Both are called late-bound,
// like the control itself. A conversion that cannot hold the schedule exactly throws a
// COMException whose Message says why.
using System;
using System.Runtime.InteropServices;

namespace CadencerHost
{
    public static class RunWhileClosed
    {
        private static dynamic Create(string progId) =>
            Activator.CreateInstance(Type.GetTypeFromProgID(progId, throwOnError: true));

        // Registers (or replaces) the task taskName that runs command with arguments on the
        // control's schedule, for example:
        //     RunWhileClosed.Register(cadencer, "Nightly backup", @"C:\Jobs\backup.exe", "/quiet");
        public static void Register(CadencerControl cadencer, string taskName, string command, string arguments)
        {
            Create("CadencerTools.Task").RegisterTask(cadencer.GetOcx(), taskName, command, arguments, true);
        }

        public static void Unregister(string taskName) => Create("CadencerTools.Task").UnregisterTask(taskName);

        public static DateTime[] NextRuns(CadencerControl cadencer, int count)
        {
            object[] runs = Create("CadencerTools.Schedule").NextRuns(cadencer.GetOcx(), count);
            return Array.ConvertAll(runs, run => (DateTime)run);
        }

        // "DTSTART:20261208T093000\nRRULE:FREQ=WEEKLY;BYDAY=MO,FR;BYHOUR=9;BYMINUTE=30", or why not.
        public static string CalendarRule(CadencerControl cadencer)
        {
            try
            {
                return Create("CadencerTools.Schedule").ToRRule(cadencer.GetOcx());
            }
            catch (COMException refused)
            {
                return "No calendar rule: " + refused.Message;
            }
        }
    }
}
