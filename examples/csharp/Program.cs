// A WinForms window with a Cadencer: the schedule the user kept last time (the first time,
// weekly on Monday and Friday at 09:30), a Schedule button that opens the control's
// dialog, a log of its events, and RunBackup, the job, when the schedule falls due. The
// schedule, with the time of the last run, is kept in the application's user settings
// (user.config) between runs.
using System;
using System.Configuration;
using System.Drawing;
using System.Windows.Forms;

namespace CadencerHost
{
    // The user's schedule, as application settings of user scope: Save() writes user.config
    // under %LOCALAPPDATA%, and the next start reads it back.
    internal sealed class ScheduleSettings : ApplicationSettingsBase
    {
        public static ScheduleSettings Default { get; } = (ScheduleSettings)Synchronized(new ScheduleSettings());

        [UserScopedSetting, DefaultSettingValue("False")]
        public bool Kept { get => (bool)this[nameof(Kept)]; set => this[nameof(Kept)] = value; }
        [UserScopedSetting, DefaultSettingValue("0")]
        public int OccursOption { get => (int)this[nameof(OccursOption)]; set => this[nameof(OccursOption)] = value; }
        [UserScopedSetting, DefaultSettingValue("1")]
        public short EveryInterval { get => (short)this[nameof(EveryInterval)]; set => this[nameof(EveryInterval)] = value; }
        [UserScopedSetting, DefaultSettingValue("0")]
        public int EveryFrequency { get => (int)this[nameof(EveryFrequency)]; set => this[nameof(EveryFrequency)] = value; }
        [UserScopedSetting, DefaultSettingValue("24")]
        public short StartHour { get => (short)this[nameof(StartHour)]; set => this[nameof(StartHour)] = value; }
        [UserScopedSetting, DefaultSettingValue("0")]
        public short StartMinute { get => (short)this[nameof(StartMinute)]; set => this[nameof(StartMinute)] = value; }
        [UserScopedSetting, DefaultSettingValue("2000-01-01")]
        public DateTime StartDate { get => (DateTime)this[nameof(StartDate)]; set => this[nameof(StartDate)] = value; }
        [UserScopedSetting, DefaultSettingValue("2000-01-01")]
        public DateTime EndDate { get => (DateTime)this[nameof(EndDate)]; set => this[nameof(EndDate)] = value; }
        [UserScopedSetting, DefaultSettingValue("False")]
        public bool UseEndDate { get => (bool)this[nameof(UseEndDate)]; set => this[nameof(UseEndDate)] = value; }
        [UserScopedSetting, DefaultSettingValue("0000000")]
        public string SelectionsWeekly { get => (string)this[nameof(SelectionsWeekly)]; set => this[nameof(SelectionsWeekly)] = value; }
        [UserScopedSetting, DefaultSettingValue("0000000000000000000000000000000")]
        public string SelectionsMonthly { get => (string)this[nameof(SelectionsMonthly)]; set => this[nameof(SelectionsMonthly)] = value; }
        // Not stored by the control: an Every schedule counts from it, so without it the count
        // would restart at each start (and a program started more often than its interval
        // would never run the job). 0: never run.
        [UserScopedSetting, DefaultSettingValue("0")]
        public double LastScheduledTime { get => (double)this[nameof(LastScheduledTime)]; set => this[nameof(LastScheduledTime)] = value; }
    }

    public class MainForm : Form
    {
        private readonly CadencerControl cadencer = new CadencerControl();
        private readonly Label nextRun = new Label { Location = new Point(12, 16), AutoSize = true };
        private readonly Button schedule = new Button { Text = "&Schedule...", Location = new Point(300, 10), Width = 90 };
        private readonly ListBox log = new ListBox { Location = new Point(12, 48), Size = new Size(378, 120) };

        public MainForm()
        {
            Text = "Nightly backup";
            ClientSize = new Size(402, 180);
            // An AxHost must be initialised inside BeginInit/EndInit before its properties are used.
            ((System.ComponentModel.ISupportInitialize)cadencer).BeginInit();
            cadencer.Location = new Point(370, 150);
            Controls.AddRange(new Control[] { nextRun, schedule, log, cadencer });
            ((System.ComponentModel.ISupportInitialize)cadencer).EndInit();

            cadencer.ScheduleChanged += (s, e) => { Log("ScheduleChanged"); KeepSchedule(); ShowNextRun(); };
            cadencer.SchedulerClosed += (s, e) => Log("SchedulerClosed");
            cadencer.ScheduledTime += (s, e) => { Log("ScheduledTime " + e.DateTime.ToString("g")); RunBackup(); KeepSchedule(); ShowNextRun(); };
            schedule.Click += (s, e) => cadencer.DisplayScheduler();

            Load += (s, e) =>
            {
                cadencer.Title = "Backup schedule";
                cadencer.Modal = true;
                if (!RestoreSchedule())
                {
                    cadencer.OccursOption = 2;            // Weekly
                    cadencer.SelectionsWeekly = "0100010"; // Monday and Friday
                    cadencer.StartHour = 9;
                    cadencer.StartMinute = 30;
                }
                ShowNextRun();
            };
            FormClosing += (s, e) => KeepSchedule();
        }

        // The job the schedule runs.
        private void RunBackup()
        {
            Log("Backup started");
            // ... copy the files here; keep it short, or hand it to a worker thread: the
            // control's clock and the window share this thread ...
        }

        private void KeepSchedule()
        {
            var kept = ScheduleSettings.Default;
            kept.OccursOption = cadencer.OccursOption;
            kept.EveryInterval = cadencer.EveryInterval;
            kept.EveryFrequency = cadencer.EveryFrequency;
            kept.StartHour = cadencer.StartHour;
            kept.StartMinute = cadencer.StartMinute;
            kept.StartDate = cadencer.StartDate;
            kept.EndDate = cadencer.EndDate;
            kept.UseEndDate = cadencer.UseEndDate;
            kept.SelectionsWeekly = cadencer.SelectionsWeekly;
            kept.SelectionsMonthly = cadencer.SelectionsMonthly;
            kept.LastScheduledTime = cadencer.LastScheduledTime.ToOADate();
            kept.Kept = true;
            kept.Save();
        }

        // False the first time, when nothing has been kept yet.
        private bool RestoreSchedule()
        {
            var kept = ScheduleSettings.Default;
            if (!kept.Kept) return false;
            cadencer.OccursOption = kept.OccursOption;
            cadencer.EveryInterval = kept.EveryInterval;
            cadencer.EveryFrequency = kept.EveryFrequency;
            cadencer.StartHour = kept.StartHour;
            cadencer.StartMinute = kept.StartMinute;
            cadencer.StartDate = kept.StartDate;
            cadencer.EndDate = kept.EndDate;
            cadencer.UseEndDate = kept.UseEndDate;
            cadencer.SelectionsWeekly = kept.SelectionsWeekly;
            cadencer.SelectionsMonthly = kept.SelectionsMonthly;
            if (kept.LastScheduledTime != 0) cadencer.LastScheduledTime = DateTime.FromOADate(kept.LastScheduledTime);
            return true;
        }

        // Nothing due (the never marker, 50 years back) and the zero date of a disabled
        // control both lie 50 or more calendar years back.
        private void ShowNextRun()
        {
            var next = cadencer.NextScheduledTime;
            nextRun.Text = "Next run: " + (next.Year <= DateTime.Now.Year - 50 ? "nothing scheduled" : next.ToString("yyyy-MM-dd HH:mm"));
        }

        private void Log(string text) => log.Items.Add(DateTime.Now.ToString("T") + "  " + text);

        [STAThread]
        private static void Main()
        {
            Application.EnableVisualStyles();
            Application.Run(new MainForm());
        }
    }
}
