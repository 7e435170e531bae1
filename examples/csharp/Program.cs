// A WinForms window with a Cadencer: a weekly schedule on Monday and Friday at 09:30, a
// Schedule button that opens the control's dialog, and a log of its events.
using System;
using System.Drawing;
using System.Windows.Forms;

namespace CadencerHost
{
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

            cadencer.ScheduleChanged += (s, e) => { Log("ScheduleChanged"); ShowNextRun(); };
            cadencer.SchedulerClosed += (s, e) => Log("SchedulerClosed");
            cadencer.ScheduledTime += (s, e) => { Log("ScheduledTime " + e.DateTime.ToString("g")); ShowNextRun(); };
            schedule.Click += (s, e) => cadencer.DisplayScheduler();

            Load += (s, e) =>
            {
                cadencer.Title = "Backup schedule";
                cadencer.Modal = true;
                cadencer.OccursOption = 2;            // Weekly
                cadencer.SelectionsWeekly = "0100010"; // Monday and Friday
                cadencer.StartHour = 9;
                cadencer.StartMinute = 30;
                ShowNextRun();
            };
        }

        private void ShowNextRun() => nextRun.Text = "Next run: " + cadencer.NextScheduledTime.ToString("yyyy-MM-dd HH:mm");
        private void Log(string text) => log.Items.Add(DateTime.Now.ToString("T") + "  " + text);

        [STAThread]
        private static void Main()
        {
            Application.EnableVisualStyles();
            Application.Run(new MainForm());
        }
    }
}
